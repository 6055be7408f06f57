#include "app/win/lc_dg.h"

#include <exception>

#include "app/main_window.h"
#include "app/win/ins_main.h"
#include "messages/uncaught.h"

namespace tlx::appwin {
namespace {

constexpr int kWidth = 489;
constexpr int kHeight = 503;
constexpr COLORREF kColour = RGB(227, 225, 155);
constexpr int kMemoHeight = 430;
constexpr int kPanelHeight = 73;
// The agreement text in setup.rc.
constexpr int kLicenceResource = 101;

enum : int { kIdMemo1 = 100, kIdKYes, kIdKNo };

}  // namespace

std::string LicenceText() {
  HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(kLicenceResource), RT_RCDATA);
  HGLOBAL loaded = found ? ::LoadResource(nullptr, found) : nullptr;
  const char* data = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
  if (data == nullptr) return {};
  std::string text;
  const DWORD size = ::SizeofResource(nullptr, found);
  for (DWORD i = 0; i < size; ++i) {
    if (data[i] == '\n' && (i == 0 || data[i - 1] != '\r')) text += '\r';
    text += data[i];
  }
  return text;
}

TLcDg::TLcDg(app::WizardSession& session)
    : Form(L"TlxSetup5_320", kWidth, kHeight, nullptr, kColour), session_(session) {
  DrawRaisedFrame(false);
  memo1_ = win::CreateChild(hwnd(), L"EDIT", win::Wide(LicenceText()),
                            WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, kIdMemo1,
                            win::Bounds(10, 0, kWidth - 10, kMemoHeight), SharedFont(L"Courier New", -13));
  panel_ = std::make_unique<Panel>(hwnd(), win::Bounds(0, kHeight - kPanelHeight, kWidth, kPanelHeight),
                                   BDR_SUNKENOUTER | BDR_RAISEDINNER, ::GetSysColor(COLOR_BTNFACE));
  // KNo first in the tab order: it holds the focus when the window opens.
  kno_ = AddButton("Я НЕ принимаю условия лицензионного договора", kIdKNo, win::Bounds(40, 38, kWidth - 80, 26),
                   panel_->hwnd());
  kyes_ = AddButton("Я принимаю условия лицензионного договора", kIdKYes, win::Bounds(40, 8, kWidth - 80, 26),
                    panel_->hwnd());
}

void TLcDg::Show() {
  ::ShowWindow(hwnd(), SW_SHOW);
  ::SetForegroundWindow(hwnd());
  ::SetFocus(kno_);
}

LRESULT TLcDg::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CTLCOLORSTATIC:
      // The read-only memo on the window's own colour.
      if (reinterpret_cast<HWND>(lparam) == memo1_) {
        HDC dc = reinterpret_cast<HDC>(wparam);
        ::SetBkColor(dc, kColour);
        static win::UniqueBrush brush(::CreateSolidBrush(kColour));
        return reinterpret_cast<LRESULT>(brush.get());
      }
      break;
    case WM_CLOSE:
      ::DestroyWindow(hwnd());
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return Form::HandleMessage(message, wparam, lparam);
}

void TLcDg::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return;
  if (id == kIdKYes) KYesClick();
  if (id == kIdKNo) KNoClick();
}

void TLcDg::KYesClick() {
  bool main_ran = false;
  session_.Line("step", "licence agreement accepted");
  try {
    app::AgreementAccepted([this, &main_ran] {
      main_ran = true;
      TInsMain main(hwnd(), session_);
      main.Run();
    });
  } catch (...) {
    messages::ShowUncaught(std::current_exception());
  }
  // Once the main window has run, its end is the program's end; a refused system stays here.
  if (main_ran) ::PostMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void TLcDg::KNoClick() {
  session_.Line("step", "licence agreement declined: nothing installed");
  ::PostMessageW(hwnd(), WM_CLOSE, 0, 0);
}

}  // namespace tlx::appwin
