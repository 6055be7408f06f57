#include "app/win/flist_err.h"

namespace tlx::appwin {
namespace {

constexpr int kWidth = 330;
constexpr int kHeight = 211;

enum : int { kIdLsFl = 100, kIdButton1 };

}  // namespace

TFListErr::TFListErr(HWND owner, const std::vector<std::string>& lines) : Form(L"TFListErr", kWidth, kHeight, owner) {
  // Two lines where the face is wider than the designed one.
  AddLabel("Перечень ошибок при проверке инсталляционных файлов", win::Bounds(12, 5, kWidth - 24, 28), nullptr, SS_CENTER);
  HWND ls_fl = win::CreateChild(hwnd(), L"LISTBOX", L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT,
                                kIdLsFl, win::Bounds(12, 34, 307, 123), FormFont(), WS_EX_CLIENTEDGE);
  for (const std::string& line : lines) {
    std::wstring text = win::Wide(line);
    ::SendMessageW(ls_fl, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  if (!lines.empty()) ::SendMessageW(ls_fl, LB_SETCURSEL, 0, 0);
  AddLine(win::Bounds(8, 163, kWidth - 16, 2));
  AddButton("Выход", kIdButton1, win::Bounds((kWidth - 100) / 2, 172, 100, 28));
}

void TFListErr::OnCommand(int id, int code, HWND) {
  if (id == kIdButton1 && code == BN_CLICKED) Close(EModalResult::mr_Cancel);
}

}  // namespace tlx::appwin
