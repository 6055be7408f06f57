#include "platform/win/system_library.h"

#include <string>

namespace tlx::platform::win {

namespace {

// Windows 8 and later, and 7 with its loader update, have these; looked up so that older systems
// still start.
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

bool SearchFlagsKnown() {
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  return kernel != nullptr && ::GetProcAddress(kernel, "AddDllDirectory") != nullptr;
}

}  // namespace

bool RestrictDllSearchToSystemFolder() {
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  const auto set_default = kernel == nullptr ? nullptr
                                             : reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                                   ::GetProcAddress(kernel, "SetDefaultDllDirectories")));
  const bool current_folder_out = ::SetDllDirectoryW(L"") != FALSE;
  if (set_default != nullptr && set_default(kSearchSystem32)) return true;
  return current_folder_out;
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  if (SearchFlagsKnown()) return ::LoadLibraryExW(name, nullptr, kSearchSystem32);
  // Without the search flags: the full path in the system folder, its own dependencies found from
  // there too.
  wchar_t folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\" + name;
  return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace tlx::platform::win
