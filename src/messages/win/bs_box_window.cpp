#include "messages/win/bs_box_window.h"

#include "messages/win/pictures.h"

namespace tlx::win {
namespace {

constexpr wchar_t kClassName[] = L"TBsMssg";

messages::EMsgButton ToMsgButton(messages::EBsButton b) {
  switch (b) {
    case messages::EBsButton::ebb_Yes: return messages::EMsgButton::emb_Yes;
    case messages::EBsButton::ebb_No: return messages::EMsgButton::emb_No;
    case messages::EBsButton::ebb_View: return messages::EMsgButton::emb_View;
    default: return messages::EMsgButton::emb_Close;
  }
}

}  // namespace

messages::MessageAnswer BsBoxWindow::ShowModal(HWND owner) {
  RegisterWindowClass(kClassName);
  const int kind = request_.file_box_kind;
  const messages::BsKindInfo* info = messages::BsKind(kind);
  if (info == nullptr) return answer_;
  const uint8_t lang = request_.title == info->title_rus ? 1 : 0;
  HDC screen = ::GetDC(nullptr);
  const int ppi = ::GetDeviceCaps(screen, LOGPIXELSY);
  font_ = MakeFont(Wide(messages::kBsFontName), -::MulDiv(messages::kBsFontHeight, ppi, 72), false, false, false,
                   false, static_cast<BYTE>(messages::kBsFontCharset));
  UniqueMemoryDc dc(::CreateCompatibleDC(screen));
  ::ReleaseDC(nullptr, screen);
  background_ = UniqueBrush(::CreateSolidBrush(request_.colour));

  auto measure = [&](std::string_view text, int width) {
    std::wstring wide = Wide(text);
    RECT r{0, 0, width, 0};
    SelectObjectScope select(dc.get(), font_.get());
    ::DrawTextW(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &r,
                DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    return messages::DlgRect{0, 0, r.right - r.left, r.bottom - r.top};
  };
  const int caption = ::GetSystemMetrics(SM_CYCAPTION);
  std::optional<messages::BsBoxLayout> box =
      messages::LayoutBsBox(kind, lang, request_.text, caption, ::GetSystemMetrics(SM_CXSCREEN),
                            ::GetSystemMetrics(SM_CYSCREEN), measure);
  if (!box) return answer_;
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME;
  const DWORD ex_style = WS_EX_DLGMODALFRAME;
  if (!Create(kClassName, Wide(box->title), style, ex_style,
              Bounds(box->window.left, box->window.top, box->window.width, box->window.height), owner)) {
    return answer_;
  }
  ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(KindIcon(kind % 4)));
  if (box->label) {
    const auto& r = *box->label;
    CreateChild(hwnd(), L"STATIC", Wide(request_.text), WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL,
                kBsLabelId, Bounds(r.left, r.top, r.width, r.height), font_.get());
  }
  for (const auto& b : box->buttons) {
    CreateChild(hwnd(), L"BUTTON", Wide(b.caption), WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                kBsButtonIdBase + static_cast<int>(b.id),
                Bounds(b.rect.left, b.rect.top, b.rect.width, b.rect.height), font_.get());
  }
  RunModal(owner);
  if (hwnd() != nullptr) ::DestroyWindow(hwnd());
  return answer_;
}

bool BsBoxWindow::PreviewKey(const MSG& msg) {
  if (IsPlainEscape(msg)) {
    answer_.button = messages::EMsgButton::emb_None;
    EndModal();
  }
  return true;  // every other key is discarded
}

LRESULT BsBoxWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT r;
      ::GetClientRect(hwnd(), &r);
      ::FillRect(reinterpret_cast<HDC>(wparam), &r, background_.get());
      return 1;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wparam);
      ::SetBkColor(dc, request_.colour);
      return reinterpret_cast<LRESULT>(background_.get());
    }
    case WM_COMMAND: {
      const int id = LOWORD(wparam) - kBsButtonIdBase;
      if (id >= 0 && id <= 3 && HIWORD(wparam) == BN_CLICKED) {
        answer_.button = ToMsgButton(static_cast<messages::EBsButton>(id));
        EndModal();
      }
      return 0;
    }
    case WM_CLOSE:
      answer_.button = messages::EMsgButton::emb_None;
      EndModal();
      return 0;
    default:
      return Default(message, wparam, lparam);
  }
}

}  // namespace tlx::win
