// Standard streams on Windows: a console gets UTF-16 through WriteConsoleW, anything else the bytes.
#include "platform/console.h"
#include "platform/win/wide.h"

#include <shellapi.h>

namespace tlx::platform {

namespace {
HANDLE Handle(StdStream stream) {
  return ::GetStdHandle(stream == StdStream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}
bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}
}  // namespace

std::vector<std::string> CommandLineArguments(int, char**) {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(win::Narrow(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

bool IsTerminal(StdStream stream) { return IsConsole(Handle(stream)); }

void WriteStd(StdStream stream, std::string_view utf8) {
  const HANDLE handle = Handle(stream);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || utf8.empty()) return;
  if (IsConsole(handle)) {
    std::optional<std::wstring> wide = win::Wide(utf8);
    if (wide) {
      DWORD written = 0;
      ::WriteConsoleW(handle, wide->data(), static_cast<DWORD>(wide->size()), &written, nullptr);
      return;
    }
  }
  while (!utf8.empty()) {
    DWORD written = 0;
    if (!::WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) || written == 0) {
      return;
    }
    utf8.remove_prefix(written);
  }
}

}  // namespace tlx::platform
