// A small window for the window driver's own end-to-end test: an edit (id 100), a check box
// (id 101), a button "Готово" (id 1), a list box (id 102) and a hidden label (id 103). Clicking the
// button titles the window with the edit's text, followed by " +" when the box is checked; a double
// click on a line of the list puts the line into the edit.
#include <windows.h>

#include <initializer_list>

namespace {

constexpr int kEditId = 100;
constexpr int kCheckId = 101;
constexpr int kDoneId = 1;
constexpr int kListId = 102;
constexpr int kHiddenId = 103;

LRESULT CALLBACK FixtureProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE: {
      HINSTANCE instance = reinterpret_cast<CREATESTRUCTW*>(lparam)->hInstance;
      ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10,
                        10, 200, 24, window, reinterpret_cast<HMENU>(kEditId), instance, nullptr);
      ::CreateWindowExW(0, L"BUTTON", L"Флажок", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10, 40,
                        200, 24, window, reinterpret_cast<HMENU>(kCheckId), instance, nullptr);
      ::CreateWindowExW(0, L"BUTTON", L"&Готово", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 70,
                        100, 28, window, reinterpret_cast<HMENU>(kDoneId), instance, nullptr);
      HWND list = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | LBS_NOTIFY, 220, 10,
                                    80, 90, window, reinterpret_cast<HMENU>(kListId), instance, nullptr);
      for (const wchar_t* line : {L"один", L"  два", L"три"}) {
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
      }
      ::CreateWindowExW(0, L"STATIC", L"Скрыто", WS_CHILD, 120, 70, 80, 20, window,
                        reinterpret_cast<HMENU>(kHiddenId), instance, nullptr);
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == kListId && HIWORD(wparam) == LBN_DBLCLK) {
        HWND list = reinterpret_cast<HWND>(lparam);
        const LRESULT index = ::SendMessageW(list, LB_GETCURSEL, 0, 0);
        wchar_t text[256] = {};
        if (index >= 0 && ::SendMessageW(list, LB_GETTEXTLEN, index, 0) < 250) {
          ::SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
        }
        ::SetDlgItemTextW(window, kEditId, text);
      }
      if (LOWORD(wparam) == kDoneId && HIWORD(wparam) == BN_CLICKED) {
        wchar_t text[256] = {};
        ::GetDlgItemTextW(window, kEditId, text, 250);
        if (::IsDlgButtonChecked(window, kCheckId) == BST_CHECKED) ::lstrcatW(text, L" +");
        ::SetWindowTextW(window, text);
      }
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = FixtureProc;
  window_class.hInstance = instance;
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = L"TlxDriverFixture";
  ::RegisterClassExW(&window_class);
  HWND window = ::CreateWindowExW(0, L"TlxDriverFixture", L"Проба драйвера", WS_OVERLAPPEDWINDOW,
                                  40, 40, 330, 160, nullptr, nullptr, instance, nullptr);
  ::ShowWindow(window, show);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}
