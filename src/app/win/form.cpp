#include "app/win/form.h"

#include <map>
#include <tuple>

namespace tlx::appwin {
namespace {

constexpr wchar_t kFormClass[] = L"TlxSetupForm";
constexpr wchar_t kPanelClass[] = L"TlxSetupPanel";
// Posted by ShowModal: the form is on the screen.
constexpr UINT kFormShown = WM_APP + 1;

bool ForwardsToParent(UINT message) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_VSCROLL:
      return true;
    default:
      return false;
  }
}

}  // namespace

HFONT SharedFont(std::wstring_view face, int height, bool bold) {
  static std::map<std::tuple<std::wstring, int, bool>, win::UniqueFont> fonts;
  auto key = std::make_tuple(std::wstring(face), height, bold);
  auto it = fonts.find(key);
  if (it == fonts.end()) {
    it = fonts.emplace(key, win::MakeFont(face, height, bold, false, false, false, RUSSIAN_CHARSET)).first;
  }
  return it->second.get();
}

HFONT FormFont() { return SharedFont(L"MS Sans Serif", -11); }

Panel::Panel(HWND parent, RECT bounds, UINT edges, COLORREF colour, bool visible)
    : edges_(edges), colour_(colour), brush_(::CreateSolidBrush(colour)) {
  win::RegisterWindowClass(kPanelClass);
  Create(kPanelClass, L"", WS_CHILD | (visible ? WS_VISIBLE : 0) | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, bounds,
         parent);
}

void Panel::SetVisible(bool visible) {
  ::ShowWindow(hwnd(), visible ? SW_SHOW : SW_HIDE);
  if (visible) ::UpdateWindow(hwnd());
}

LRESULT Panel::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (ForwardsToParent(message)) return ::SendMessageW(::GetParent(hwnd()), message, wparam, lparam);
  if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN) {
    // Labels and buttons on the panel's own colour, whatever the form's.
    HDC dc = reinterpret_cast<HDC>(wparam);
    ::SetBkColor(dc, colour_);
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(brush_.get());
  }
  if (message == WM_ERASEBKGND) return 1;  // WM_PAINT paints all of it
  if (message == WM_PAINT) {
    win::PaintScope paint(hwnd());
    HDC dc = paint.dc();
    RECT r;
    ::GetClientRect(hwnd(), &r);
    ::FillRect(dc, &r, brush_.get());
    if (edges_ != 0) ::DrawEdge(dc, &r, edges_, BF_RECT);
    return 0;
  }
  return Default(message, wparam, lparam);
}

Form::Form(const wchar_t* title, int width, int height, HWND owner, COLORREF colour, DWORD extra_style,
           DWORD ex_style)
    : owner_(owner), colour_(colour), brush_(::CreateSolidBrush(colour)) {
  win::RegisterWindowClass(kFormClass);
  // A popup's size is its client size as long as it has no frame of its own.
  Create(kFormClass, title, WS_POPUP | extra_style, WS_EX_CONTROLPARENT | ex_style,
         win::CentreOnScreen(width, height), owner);
}

EModalResult Form::ShowModal() {
  result_ = EModalResult::mr_None;
  ::PostMessageW(hwnd(), kFormShown, 0, 0);
  RunModal(owner_);
  if (result_ == EModalResult::mr_None) result_ = EModalResult::mr_Cancel;
  return result_;
}

void Form::Close(EModalResult result) {
  result_ = result;
  EndModal();
}

LRESULT Form::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case kFormShown:
      FormShow();
      return 0;
    case WM_CLOSE:
      if (CanClose()) Close(EModalResult::mr_Cancel);
      return 0;
    case WM_COMMAND:
      if (lparam == 0 && LOWORD(wparam) == IDCANCEL) {  // Esc
        if (CanClose()) Close(EModalResult::mr_Cancel);
        return 0;
      }
      OnCommand(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wparam);
      ::SetBkColor(dc, colour_);
      ::SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(brush_.get());
    }
    case WM_ERASEBKGND: {
      RECT r;
      ::GetClientRect(hwnd(), &r);
      HDC dc = reinterpret_cast<HDC>(wparam);
      ::FillRect(dc, &r, brush_.get());
      if (raised_frame_) ::DrawEdge(dc, &r, BDR_RAISEDOUTER | BDR_RAISEDINNER, BF_RECT);
      return 1;
    }
    default:
      return Default(message, wparam, lparam);
  }
}

HWND Form::AddLabel(std::string_view text, RECT bounds, HWND parent, DWORD style, HFONT font) {
  return win::CreateChild(parent ? parent : hwnd(), L"STATIC", win::Wide(text), WS_VISIBLE | SS_NOPREFIX | style, 0,
                          bounds, font ? font : FormFont());
}

HWND Form::AddButton(std::string_view text, int id, RECT bounds, HWND parent) {
  return win::CreateChild(parent ? parent : hwnd(), L"BUTTON", win::Wide(text), WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                          id, bounds, FormFont());
}

HWND Form::AddEdit(std::string_view text, int id, RECT bounds, HWND parent) {
  return win::CreateChild(parent ? parent : hwnd(), L"EDIT", win::Wide(text), WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                          id, bounds, FormFont(), WS_EX_CLIENTEDGE);
}

void Form::AddLine(RECT bounds, HWND parent) {
  win::CreateChild(parent ? parent : hwnd(), L"STATIC", L"", WS_VISIBLE | SS_ETCHEDHORZ, 0, bounds, nullptr);
}

std::string ControlText(HWND control) {
  int n = ::GetWindowTextLengthW(control);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = ::GetWindowTextW(control, text.data(), n + 1);
  text.resize(static_cast<size_t>(n));
  return win::Narrow(text);
}

void SetControlText(HWND control, std::string_view text) { ::SetWindowTextW(control, win::Wide(text).c_str()); }

bool IsChecked(HWND button) { return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetChecked(HWND button, bool checked) {
  ::SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void StartGroup(HWND control) {
  ::SetWindowLongPtrW(control, GWL_STYLE, ::GetWindowLongPtrW(control, GWL_STYLE) | WS_GROUP);
}

}  // namespace tlx::appwin
