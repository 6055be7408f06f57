#include "messages/win/window.h"

#include <set>

namespace tlx::win {

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Narrow(std::wstring_view wide) {
  if (wide.empty()) return {};
  int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr,
                        nullptr);
  return out;
}

UniqueFont MakeFont(std::wstring_view face, int height, bool bold, bool italic, bool underline, bool strike,
                    BYTE charset) {
  LOGFONTW lf = {};
  lf.lfHeight = height;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = italic;
  lf.lfUnderline = underline;
  lf.lfStrikeOut = strike;
  lf.lfCharSet = charset;
  lf.lfQuality = DEFAULT_QUALITY;
  face = face.substr(0, LF_FACESIZE - 1);
  face.copy(lf.lfFaceName, face.size());
  return UniqueFont(::CreateFontIndirectW(&lf));
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Window* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    self = static_cast<Window*>(create->lpCreateParams);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_.reset(hwnd);
  }
  if (self == nullptr) return ::DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    LRESULT result = self->HandleMessage(message, wparam, lparam);
    (void)self->window_.release();  // the system destroys it
    self->modal_done_ = true;
    return result;
  }
  return self->HandleMessage(message, wparam, lparam);
}

void RegisterWindowClass(const wchar_t* name, HBRUSH background, HICON icon) {
  static std::set<std::wstring> registered;
  if (!registered.insert(name).second) return;
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = background;
  wc.hIcon = icon;
  wc.lpszClassName = name;
  ::RegisterClassExW(&wc);
}

bool Window::Create(const wchar_t* class_name, const std::wstring& title, DWORD style, DWORD ex_style,
                    RECT bounds, HWND parent_or_owner) {
  modal_done_ = false;
  HWND hwnd = ::CreateWindowExW(ex_style, class_name, title.c_str(), style, bounds.left, bounds.top,
                                bounds.right - bounds.left, bounds.bottom - bounds.top, parent_or_owner,
                                nullptr, ::GetModuleHandleW(nullptr), this);
  return hwnd != nullptr;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  return Default(message, wparam, lparam);
}

void Window::RunModal(HWND owner) {
  const bool disable_owner = owner != nullptr && ::IsWindowEnabled(owner);
  if (disable_owner) ::EnableWindow(owner, FALSE);
  ::ShowWindow(hwnd(), SW_SHOW);
  ::SetForegroundWindow(hwnd());
  MSG msg;
  while (!modal_done_) {
    BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));  // leave the quit for the outer loop
      break;
    }
    if (got < 0) break;
    const bool ours = hwnd() != nullptr && (msg.hwnd == hwnd() || ::IsChild(hwnd(), msg.hwnd));
    if (ours && (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && PreviewKey(msg)) continue;
    if (ours && ::IsDialogMessageW(hwnd(), &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  if (disable_owner) ::EnableWindow(owner, TRUE);
  if (hwnd() != nullptr) ::ShowWindow(hwnd(), SW_HIDE);
  if (owner != nullptr) ::SetActiveWindow(owner);
}

HWND CreateChild(HWND parent, const wchar_t* class_name, std::wstring_view text, DWORD style, int id,
                 RECT bounds, HFONT font, DWORD ex_style) {
  std::wstring caption(text);
  HWND child = ::CreateWindowExW(ex_style, class_name, caption.c_str(), WS_CHILD | style, bounds.left,
                                 bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 ::GetModuleHandleW(nullptr), nullptr);
  if (child != nullptr && font != nullptr) ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

bool IsPlainEscape(const MSG& msg) {
  const bool modifiers = ::GetKeyState(VK_SHIFT) < 0 || ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0;
  return msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && !modifiers;
}

void PumpMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

HWND ActiveOwner() {
  HWND active = ::GetActiveWindow();
  return active != nullptr && ::IsWindowVisible(active) ? active : nullptr;
}

namespace {
std::wstring& TitleSlot() {
  static std::wstring title = L"TlxSetup5_320";
  return title;
}
}  // namespace

const std::wstring& ApplicationTitle() { return TitleSlot(); }
void SetApplicationTitle(std::wstring title) { TitleSlot() = std::move(title); }

RECT CentreOnScreen(int width, int height) {
  const int sw = ::GetSystemMetrics(SM_CXSCREEN);
  const int sh = ::GetSystemMetrics(SM_CYSCREEN);
  return Bounds(sw / 2 - width / 2, sh / 2 - height / 2, width, height);
}

}  // namespace tlx::win
