#include "app/win/view_prt.h"

#include <exception>
#include <richedit.h>

#include "app/view_prt.h"
#include "messages/uncaught.h"
#include "platform/win/system_library.h"

namespace tlx::appwin {
namespace {

constexpr int kBottomHeight = 54;

enum : int { kIdLTxt = 100, kIdKWar, kIdKErr, kIdButton1 };

// The rich-text control's library, loaded once, from the system folder only.
const wchar_t* RichEditClass() {
  static const bool loaded = platform::win::LoadSystemLibrary(L"riched20.dll") != nullptr;
  return loaded ? RICHEDIT_CLASSW : L"EDIT";
}

}  // namespace

TViewPrt::TViewPrt(HWND owner, std::string war_file, std::string err_file)
    : Form(L"TViewPrt", 640, 480, owner, ::GetSysColor(COLOR_BTNFACE), WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
           WS_EX_TOOLWINDOW | WS_EX_TOPMOST),
      war_file_(std::move(war_file)),
      err_file_(std::move(err_file)) {
  DrawRaisedFrame(false);
  l_txt_ = win::CreateChild(hwnd(), RichEditClass(), L"",
                            WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                                ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                            kIdLTxt, win::Bounds(0, 0, 10, 10), SharedFont(L"Courier New", -13), WS_EX_CLIENTEDGE);
  ::SendMessageW(l_txt_, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(::GetSysColor(COLOR_BTNFACE)));
  ::SendMessageW(l_txt_, EM_SETTEXTMODE, TM_PLAINTEXT, 0);
  bottom_ = std::make_unique<Panel>(hwnd(), win::Bounds(0, 0, 10, kBottomHeight), BDR_SUNKENOUTER | BDR_RAISEDINNER,
                                    ::GetSysColor(COLOR_BTNFACE));
  const auto button = [this](int id, const char* rus, const char* ukr, int left) {
    auto b = std::make_unique<win::TZMLButton>(bottom_->hwnd(), id, win::Bounds(left, 13, 110, 28), FormFont());
    b->CaptionL().SetLRus(rus);
    b->CaptionL().SetLUkr(ukr);
    return b;
  };
  k_war_ = button(kIdKWar, "Неточности", "Неточності", 12);
  k_err_ = button(kIdKErr, "Ошибки", "Помилки", 134);
  button1_ = button(kIdButton1, "Выход", "Вихід", 256);
  ::ShowWindow(hwnd(), SW_MAXIMIZE);
  ::ShowWindow(hwnd(), SW_HIDE);
  Arrange();
}

void TViewPrt::Open(HWND owner, const std::string& err_file, const std::string& war_file) {
  TViewPrt viewer(owner, war_file, err_file);
  viewer.ShowModal();
}

void TViewPrt::Arrange() {
  if (!bottom_) return;  // sized while being made
  RECT r;
  ::GetClientRect(hwnd(), &r);
  ::MoveWindow(l_txt_, 0, 0, r.right, r.bottom - kBottomHeight, TRUE);
  ::MoveWindow(bottom_->hwnd(), 0, r.bottom - kBottomHeight, r.right, kBottomHeight, TRUE);
}

void TViewPrt::FormShow() {
  ::ShowWindow(hwnd(), SW_MAXIMIZE);
  const app::ViewPrtStart start = app::ViewPrtFormShow(war_file_, err_file_);
  if (!start.buttons_visible) {
    ::ShowWindow(k_war_->hwnd(), SW_HIDE);
    ::ShowWindow(k_err_->hwnd(), SW_HIDE);
  }
  ShowFile(start.first_file);
}

void TViewPrt::ShowFile(const std::string& name) {
  const std::string caption = app::ProtocolCaption(name);
  SetControlText(hwnd(), caption);
  SetControlText(l_txt_, "");
  try {
    SetControlText(l_txt_, app::ViewerText(caption, app::LoadProtocolText(name)));
  } catch (...) {
    messages::ShowUncaught(std::current_exception());
  }
  ::SendMessageW(l_txt_, EM_SETSEL, 0, 0);
  ::SendMessageW(l_txt_, EM_SCROLLCARET, 0, 0);
}

LRESULT TViewPrt::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_SIZE) {
    Arrange();
    return 0;
  }
  return Form::HandleMessage(message, wparam, lparam);
}

void TViewPrt::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return;
  if (id == kIdKErr) ShowFile(err_file_);
  if (id == kIdKWar) ShowFile(war_file_);
  if (id == kIdButton1) Close(EModalResult::mr_Cancel);
}

}  // namespace tlx::appwin
