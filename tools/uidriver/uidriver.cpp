// uidriver: drives the setup program's windows from the end-to-end tests (run under Wine).
//
//   uidriver wait --title T [--class C] [--timeout S]    a visible top-level window appears
//   uidriver gone --title T [--class C] [--timeout S]    no visible window of that title remains
//   uidriver texts --title T [--class C]                 "class<TAB>id<TAB>text" of the window and
//                                                        each control below it, one per line; a
//                                                        list box's lines follow it as "ListBoxItem"
//   uidriver settext --title T (--id N | --class C [--index K]) TEXT
//   uidriver click --title T (--text CAPTION | --id N)   a button, as if clicked
//   uidriver visible --title T (--text C | --id N | --class C [--index K])
//                                                        exit code 0 when the control is visible
//                                                        (itself and every window above it), 1 when not
//   uidriver selected --title T (--id N | --class C [--index K])
//                                                        "index<TAB>text" of a list box's selected
//                                                        line ("-1<TAB>" when none)
//   uidriver dblclick --title T (--id N | --class C [--index K]) --item TEXT
//                                                        selects the list box line TEXT (blanks at
//                                                        its start ignored) and double-clicks it
//   uidriver close --title T                             asks the window to close
//   uidriver client --title T [--class C]                "width<TAB>height" of the window's client
//                                                        area in screen pixels
//   uidriver rect --title T [--class C]                  "left<TAB>top<TAB>width<TAB>height" of the
//                                                        window with its frame, on the screen
//   uidriver list                                        visible top-level windows
//   uidriver screenshot FILE                             the whole screen as a 24-bit BMP
//   uidriver hold FILE [--timeout S]                     opens FILE sharing nothing, as another
//                                                        program holding it would, prints "held"
//                                                        and keeps it open S seconds (600)
//
// Output is UTF-8. Exit code 0 on success, 1 with a message on failure, 2 on bad usage.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr UINT kMessageTimeoutMs = 2000;

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
  return out;
}

void Write(DWORD stream, const std::string& text) {
  DWORD done = 0;
  ::WriteFile(::GetStdHandle(stream), text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
}

void Print(const std::string& line) { Write(STD_OUTPUT_HANDLE, line + "\n"); }

int Fail(const std::string& message) {
  Write(STD_ERROR_HANDLE, "uidriver: " + message + "\n");
  return kFailed;
}

// Command line: one command, "--name value" options and the remaining plain arguments.
struct Args {
  std::wstring command;
  std::map<std::wstring, std::wstring> options;
  std::vector<std::wstring> plain;

  std::optional<std::wstring> Get(const wchar_t* name) const {
    auto it = options.find(name);
    if (it == options.end()) return std::nullopt;
    return it->second;
  }
};

std::optional<Args> Parse(int argc, wchar_t** argv) {
  if (argc < 2) return std::nullopt;
  Args args;
  args.command = argv[1];
  for (int i = 2; i < argc; ++i) {
    std::wstring a = argv[i];
    if (a.size() > 2 && a.compare(0, 2, L"--") == 0) {
      if (i + 1 >= argc) return std::nullopt;
      args.options[a.substr(2)] = argv[++i];
    } else {
      args.plain.push_back(a);
    }
  }
  return args;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  ::GetClassNameW(window, name, 256);
  return name;
}

// The window's text through WM_GETTEXT, which the system carries across processes.
std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &length)) {
    return {};
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR got = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kMessageTimeoutMs, &got)) {
    return {};
  }
  text.resize(got < length ? got : length);
  return text;
}

struct TopSearch {
  std::wstring title;
  std::optional<std::wstring> window_class;
  HWND found = nullptr;
};

BOOL CALLBACK MatchTop(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TopSearch*>(param);
  if (!::IsWindowVisible(window)) return TRUE;
  if (search->window_class && ClassOf(window) != *search->window_class) return TRUE;
  if (TextOf(window) != search->title) return TRUE;
  search->found = window;
  return FALSE;
}

// The visible top-level window with exactly this title (and class, when given).
HWND FindTop(const std::wstring& title, const std::optional<std::wstring>& window_class) {
  TopSearch search{title, window_class, nullptr};
  ::EnumWindows(MatchTop, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  return TRUE;
}

// Every control below `window`, in Z order, depth first.
std::vector<HWND> Controls(HWND window) {
  std::vector<HWND> controls;
  ::EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&controls));
  return controls;
}

std::string OneLine(const std::wstring& text) {
  std::string out;
  for (char c : Utf8(text)) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else out += c;
  }
  return out;
}

std::wstring WithoutAccelerators(const std::wstring& caption) {
  std::wstring out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
    out += caption[i];
  }
  return out;
}

double Seconds(const Args& args, double fallback) {
  std::optional<std::wstring> value = args.Get(L"timeout");
  return value ? std::wcstod(value->c_str(), nullptr) : fallback;
}

// Polls `ready` every 100 ms until it holds or `seconds` pass.
template <typename Ready>
bool WaitFor(double seconds, Ready ready) {
  ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  for (;;) {
    if (ready()) return true;
    if (::GetTickCount64() >= deadline) return false;
    ::Sleep(100);
  }
}

// The top-level window the command names; a message when there is none.
std::optional<HWND> Target(const Args& args, bool top_class_option, std::string* error) {
  std::optional<std::wstring> title = args.Get(L"title");
  if (!title) {
    *error = "--title is required";
    return std::nullopt;
  }
  HWND window = FindTop(*title, top_class_option ? args.Get(L"class") : std::nullopt);
  if (window == nullptr) {
    *error = "no visible window titled \"" + Utf8(*title) + "\"";
    return std::nullopt;
  }
  return window;
}

int Wait(const Args& args, bool appear) {
  std::optional<std::wstring> title = args.Get(L"title");
  if (!title) return Fail("--title is required");
  std::optional<std::wstring> window_class = args.Get(L"class");
  double seconds = Seconds(args, 10);
  bool ok = WaitFor(seconds, [&] { return (FindTop(*title, window_class) != nullptr) == appear; });
  if (!ok) {
    return Fail("window \"" + Utf8(*title) + (appear ? "\" did not appear" : "\" is still there") +
                " within " + std::to_string(seconds) + " s");
  }
  return 0;
}

// The lines of a list box (the system carries LB_GETTEXT across processes); none for other controls.
std::vector<std::wstring> ListItems(HWND control) {
  std::vector<std::wstring> items;
  if (::lstrcmpiW(ClassOf(control).c_str(), L"ListBox") != 0) return items;
  DWORD_PTR count = 0;
  if (!::SendMessageTimeoutW(control, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &count)) return items;
  for (DWORD_PTR i = 0; i < count && static_cast<LONG_PTR>(count) > 0; ++i) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(control, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length) ||
        static_cast<LONG_PTR>(length) < 0) {
      break;
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    if (!::SendMessageTimeoutW(control, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                               kMessageTimeoutMs, &got)) {
      break;
    }
    text.resize(got < length ? got : length);
    items.push_back(text);
  }
  return items;
}

int Texts(const Args& args) {
  std::string error;
  std::optional<HWND> window = Target(args, true, &error);
  if (!window) return Fail(error);
  Print(Utf8(ClassOf(*window)) + "\t0\t" + OneLine(TextOf(*window)));
  for (HWND control : Controls(*window)) {
    Print(Utf8(ClassOf(control)) + "\t" + std::to_string(::GetDlgCtrlID(control)) + "\t" +
          OneLine(TextOf(control)));
    for (const std::wstring& item : ListItems(control)) {
      Print("ListBoxItem\t" + std::to_string(::GetDlgCtrlID(control)) + "\t" + OneLine(item));
    }
  }
  return 0;
}

// The control named by --id N, or by --text CAPTION, or by --class C [--index K] (K from 0).
std::optional<HWND> FindControl(HWND window, const Args& args, std::string* error) {
  std::vector<HWND> controls = Controls(window);
  std::optional<std::wstring> id = args.Get(L"id");
  std::optional<std::wstring> text = args.Get(L"text");
  std::optional<std::wstring> control_class = args.Get(L"class");
  int index = args.Get(L"index") ? std::wcstol(args.Get(L"index")->c_str(), nullptr, 10) : 0;
  int seen = 0;
  for (HWND control : controls) {
    if (id && ::GetDlgCtrlID(control) == std::wcstol(id->c_str(), nullptr, 10)) return control;
    if (text && (TextOf(control) == *text || WithoutAccelerators(TextOf(control)) == *text)) {
      return control;
    }
    if (!id && !text && control_class && ClassOf(control) == *control_class && seen++ == index) {
      return control;
    }
  }
  *error = id || text || control_class ? "no such control" : "--id, --text or --class is required";
  return std::nullopt;
}

int SetText(const Args& args) {
  if (args.plain.size() != 1) return Fail("settext needs exactly one text");
  std::string error;
  std::optional<HWND> window = Target(args, false, &error);
  if (!window) return Fail(error);
  std::optional<HWND> control = FindControl(*window, args, &error);
  if (!control) return Fail(error);
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutW(*control, WM_SETTEXT, 0,
                             reinterpret_cast<LPARAM>(args.plain[0].c_str()), SMTO_ABORTIFHUNG,
                             kMessageTimeoutMs, &result) ||
      !result) {
    return Fail("the control refused the text");
  }
  return 0;
}

int Click(const Args& args) {
  std::string error;
  std::optional<HWND> window = Target(args, false, &error);
  if (!window) return Fail(error);
  std::optional<HWND> control = FindControl(*window, args, &error);
  if (!control) return Fail(error);
  // Posted, so a modal window that the click opens does not hold the driver.
  if (!::PostMessageW(*control, BM_CLICK, 0, 0)) return Fail("cannot post the click");
  return 0;
}

int Visible(const Args& args) {
  std::string error;
  std::optional<HWND> window = Target(args, false, &error);
  if (!window) return Fail(error);
  std::optional<HWND> control = FindControl(*window, args, &error);
  if (!control) return Fail(error);
  if (!::IsWindowVisible(*control)) return Fail("the control is hidden");
  return 0;
}

// The list box the command names.
std::optional<HWND> ListBoxOf(const Args& args, std::string* error) {
  std::optional<HWND> window = Target(args, false, error);
  if (!window) return std::nullopt;
  std::optional<HWND> control = FindControl(*window, args, error);
  if (!control) return std::nullopt;
  if (::lstrcmpiW(ClassOf(*control).c_str(), L"ListBox") != 0) {
    *error = "the control is no list box";
    return std::nullopt;
  }
  return control;
}

int Selected(const Args& args) {
  std::string error;
  std::optional<HWND> list = ListBoxOf(args, &error);
  if (!list) return Fail(error);
  DWORD_PTR index = 0;
  if (!::SendMessageTimeoutW(*list, LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &index)) {
    return Fail("the list box does not answer");
  }
  const LONG_PTR selected = static_cast<LONG_PTR>(index);
  const std::vector<std::wstring> items = ListItems(*list);
  const bool valid = selected >= 0 && static_cast<size_t>(selected) < items.size();
  Print(std::to_string(valid ? selected : -1) + "\t" + (valid ? OneLine(items[static_cast<size_t>(selected)]) : ""));
  return 0;
}

int DoubleClick(const Args& args) {
  std::optional<std::wstring> item = args.Get(L"item");
  if (!item) return Fail("--item is required");
  std::string error;
  std::optional<HWND> list = ListBoxOf(args, &error);
  if (!list) return Fail(error);
  const std::vector<std::wstring> items = ListItems(*list);
  for (size_t i = 0; i < items.size(); ++i) {
    const size_t start = items[i].find_first_not_of(L' ');
    if (start == std::wstring::npos || items[i].substr(start) != *item) continue;
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(*list, LB_SETCURSEL, i, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result);
    // The notification a double click sends, posted so a window it opens does not hold the driver.
    const WPARAM command = MAKEWPARAM(::GetDlgCtrlID(*list), LBN_DBLCLK);
    if (!::PostMessageW(::GetParent(*list), WM_COMMAND, command, reinterpret_cast<LPARAM>(*list))) {
      return Fail("cannot post the double click");
    }
    return 0;
  }
  return Fail("the list box has no line \"" + Utf8(*item) + "\"");
}

int Close(const Args& args) {
  std::string error;
  std::optional<HWND> window = Target(args, true, &error);
  if (!window) return Fail(error);
  if (!::PostMessageW(*window, WM_CLOSE, 0, 0)) return Fail("cannot post the close request");
  return 0;
}

BOOL CALLBACK PrintTop(HWND window, LPARAM) {
  if (::IsWindowVisible(window)) Print(Utf8(ClassOf(window)) + "\t" + OneLine(TextOf(window)));
  return TRUE;
}

// Owned GDI objects for the screenshot.
struct ScreenDC {
  HDC dc = ::GetDC(nullptr);
  ~ScreenDC() {
    if (dc) ::ReleaseDC(nullptr, dc);
  }
};
struct MemoryDC {
  HDC dc;
  explicit MemoryDC(HDC like) : dc(::CreateCompatibleDC(like)) {}
  ~MemoryDC() {
    if (dc) ::DeleteDC(dc);
  }
};
struct Bitmap {
  HBITMAP bitmap;
  Bitmap(HDC like, int w, int h) : bitmap(::CreateCompatibleBitmap(like, w, h)) {}
  ~Bitmap() {
    if (bitmap) ::DeleteObject(bitmap);
  }
};

int Screenshot(const Args& args) {
  if (args.plain.size() != 1) return Fail("screenshot needs a file name");
  int width = ::GetSystemMetrics(SM_CXSCREEN);
  int height = ::GetSystemMetrics(SM_CYSCREEN);
  ScreenDC screen;
  MemoryDC memory(screen.dc);
  Bitmap bitmap(screen.dc, width, height);
  if (!screen.dc || !memory.dc || !bitmap.bitmap) return Fail("cannot make a screen copy");
  HGDIOBJ old = ::SelectObject(memory.dc, bitmap.bitmap);
  BOOL copied = ::BitBlt(memory.dc, 0, 0, width, height, screen.dc, 0, 0, SRCCOPY);
  ::SelectObject(memory.dc, old);
  if (!copied) return Fail("cannot copy the screen");

  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // bottom-up rows, as a BMP file stores them
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<BYTE> pixels(static_cast<size_t>(stride) * height);
  if (!::GetDIBits(memory.dc, bitmap.bitmap, 0, height, pixels.data(),
                   reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS)) {
    return Fail("cannot read the screen copy");
  }
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());

  HANDLE out = ::CreateFileW(args.plain[0].c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return Fail("cannot create " + Utf8(args.plain[0]));
  DWORD done = 0;
  bool ok = ::WriteFile(out, &file, sizeof file, &done, nullptr) &&
            ::WriteFile(out, &info, sizeof info, &done, nullptr) &&
            ::WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &done, nullptr);
  ok = ::CloseHandle(out) && ok;
  return ok ? 0 : Fail("cannot write " + Utf8(args.plain[0]));
}

int Client(const Args& args) {
  std::string error;
  std::optional<HWND> window = Target(args, true, &error);
  if (!window) return Fail(error);
  RECT client;
  if (!::GetClientRect(*window, &client)) return Fail("cannot read the client area");
  Print(std::to_string(client.right - client.left) + "\t" + std::to_string(client.bottom - client.top));
  return 0;
}

int WindowRect(const Args& args) {
  std::string error;
  std::optional<HWND> window = Target(args, true, &error);
  if (!window) return Fail(error);
  RECT r;
  if (!::GetWindowRect(*window, &r)) return Fail("cannot read the window's place");
  Print(std::to_string(r.left) + "\t" + std::to_string(r.top) + "\t" + std::to_string(r.right - r.left) + "\t" +
        std::to_string(r.bottom - r.top));
  return 0;
}

int Hold(const Args& args) {
  if (args.plain.size() != 1) return Fail("hold needs a file name");
  HANDLE file = ::CreateFileW(args.plain[0].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
  if (file == INVALID_HANDLE_VALUE) return Fail("cannot open " + Utf8(args.plain[0]));
  Print("held");
  ::Sleep(static_cast<DWORD>(Seconds(args, 600) * 1000));
  ::CloseHandle(file);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Screen pixels in every answer, whatever the screen's text size (a program unaware of it would
  // see the system's scaled-down picture of the windows and of the screen).
  ::SetProcessDPIAware();
  std::optional<Args> args = Parse(argc, argv);
  if (!args) {
    Write(STD_ERROR_HANDLE,
          "usage: uidriver wait|gone|texts|settext|click|visible|selected|dblclick|close|client|rect|list|screenshot|hold [options]\n");
    return kUsage;
  }
  const std::wstring& c = args->command;
  if (c == L"wait") return Wait(*args, true);
  if (c == L"gone") return Wait(*args, false);
  if (c == L"texts") return Texts(*args);
  if (c == L"settext") return SetText(*args);
  if (c == L"click") return Click(*args);
  if (c == L"close") return Close(*args);
  if (c == L"client") return Client(*args);
  if (c == L"rect") return WindowRect(*args);
  if (c == L"visible") return Visible(*args);
  if (c == L"selected") return Selected(*args);
  if (c == L"dblclick") return DoubleClick(*args);
  if (c == L"list") {
    ::EnumWindows(PrintTop, 0);
    return 0;
  }
  if (c == L"screenshot") return Screenshot(*args);
  if (c == L"hold") return Hold(*args);
  Write(STD_ERROR_HANDLE, "uidriver: unknown command " + Utf8(c) + "\n");
  return kUsage;
}
