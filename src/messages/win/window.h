// A small RAII layer over Win32 windows shared by the message dialog and the wizard's windows:
// owned handles (windows, GDI objects, image lists), window classes, child controls, fonts,
// modal loops that disable the owner, and message pumping.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <string_view>
#include <utility>

#include "messages/win/common_controls.h"

namespace tlx::win {

// UTF-8 <-> UTF-16 at Win32 calls (invalid input is replaced, never refused).
std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// A move-only owner of one handle; `Traits::Close(h)` frees it.
template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;
  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Handle{})) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = std::exchange(o.h_, Handle{});
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle get() const { return h_; }
  explicit operator bool() const { return h_ != Handle{}; }
  // Gives the handle up; the caller frees it.
  [[nodiscard]] Handle release() { return std::exchange(h_, Handle{}); }
  void reset(Handle h = Handle{}) {
    if (h_ != Handle{}) {
      DWORD error = ::GetLastError();  // closing must not hide the error that led here
      Traits::Close(h_);
      ::SetLastError(error);
    }
    h_ = h;
  }

 private:
  Handle h_{};
};

struct WindowTraits {
  using Handle = HWND;
  static void Close(HWND h) { ::DestroyWindow(h); }
};
template <typename T>
struct GdiTraits {
  using Handle = T;
  static void Close(T h) { ::DeleteObject(h); }
};
struct ImageListTraits {
  using Handle = HIMAGELIST;
  static void Close(HIMAGELIST h) { Comctl().ImageList_Destroy(h); }
};
struct MemoryDcTraits {
  using Handle = HDC;
  static void Close(HDC h) { ::DeleteDC(h); }
};

using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueFont = UniqueHandle<GdiTraits<HFONT>>;
using UniqueBrush = UniqueHandle<GdiTraits<HBRUSH>>;
using UniquePen = UniqueHandle<GdiTraits<HPEN>>;
using UniqueBitmap = UniqueHandle<GdiTraits<HBITMAP>>;
using UniqueImageList = UniqueHandle<ImageListTraits>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;

// Selects a GDI object into a device context for a scope.
class SelectObjectScope {
 public:
  SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
  ~SelectObjectScope() { ::SelectObject(dc_, old_); }
  SelectObjectScope(const SelectObjectScope&) = delete;
  SelectObjectScope& operator=(const SelectObjectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// BeginPaint/EndPaint around one WM_PAINT: dc() draws into the window for the object's lifetime.
class PaintScope {
 public:
  explicit PaintScope(HWND hwnd) : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &ps_)) {}
  ~PaintScope() { ::EndPaint(hwnd_, &ps_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// A font by face name and height (negative: character height in pixels).
UniqueFont MakeFont(std::wstring_view face, int height, bool bold = false, bool italic = false,
                    bool underline = false, bool strike = false, BYTE charset = DEFAULT_CHARSET);

// Registers the window class `name` once per process with `proc`; the class's window procedure
// routes messages to the Window object passed at creation.
void RegisterWindowClass(const wchar_t* name, HBRUSH background = nullptr, HICON icon = nullptr);

// Base of our own windows: creation binds the HWND to the object; HandleMessage gets every
// message (return DefWindowProc's answer for what it does not handle).
class Window {
 public:
  Window() = default;
  virtual ~Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return window_.get(); }

  // Creates the window of a class registered with RegisterWindowClass. False on failure.
  bool Create(const wchar_t* class_name, const std::wstring& title, DWORD style, DWORD ex_style,
              RECT bounds, HWND parent_or_owner);

  // Runs a modal loop: disables `owner` (when given and enabled), shows the window and processes
  // messages until EndModal; re-enables and reactivates the owner before returning.
  void RunModal(HWND owner);
  void EndModal() { modal_done_ = true; }
  bool modal_done() const { return modal_done_; }

 protected:
  virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // A key press seen by the modal loop before the focused control (key preview); true: consumed.
  virtual bool PreviewKey(const MSG&) { return false; }
  LRESULT Default(UINT message, WPARAM wparam, LPARAM lparam) {
    return ::DefWindowProcW(hwnd(), message, wparam, lparam);
  }

 private:
  friend LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
  UniqueWindow window_;
  bool modal_done_ = false;
};

// A child control of a system class ("BUTTON", "STATIC", ...) with id, text and font.
HWND CreateChild(HWND parent, const wchar_t* class_name, std::wstring_view text, DWORD style, int id,
                 RECT bounds, HFONT font, DWORD ex_style = 0);

// True for a press of Esc without Shift, Ctrl or Alt.
bool IsPlainEscape(const MSG& msg);

// Processes the window messages waiting in the queue (long work keeps the windows alive).
void PumpMessages();

// The active window of this thread, or null: the owner of a message window.
HWND ActiveOwner();

// The application's title: the caption of the toolkit's plain message boxes.
const std::wstring& ApplicationTitle();
void SetApplicationTitle(std::wstring title);

// Moves `bounds` (screen coordinates) to the middle of the screen.
RECT CentreOnScreen(int width, int height);

inline RECT Bounds(int left, int top, int width, int height) { return RECT{left, top, left + width, top + height}; }

}  // namespace tlx::win
