// The setup program's entry point: one copy at a time, then the application's main window.
#include <windows.h>

#include "platform/process.h"

namespace {

constexpr char kMutexName[] = "TlxSetup5_320";
constexpr wchar_t kAppTitle[] = L"TlxSetup5_320";

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

// The application's main window, titled with the application title; the message loop runs
// until it is closed.
void RunApplication(HINSTANCE instance, int show) {
  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = MainWindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kAppTitle;
  if (!::RegisterClassExW(&window_class)) return;
  HWND window = ::CreateWindowExW(0, kAppTitle, kAppTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 480, 320, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return;
  ::ShowWindow(window, show);
  ::UpdateWindow(window);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  // Held until the process ends: a second copy sees it and ends silently.
  tlx::platform::NamedMutex single = tlx::platform::NamedMutex::Create(kMutexName);
  if (single.already_exists()) return 0;
  try {
    RunApplication(instance, show);
  } catch (...) {
    // Nothing may escape the entry point; the program's result stays 0.
  }
  return 0;
}
