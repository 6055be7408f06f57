#include <windows.h>

#include <string>

#include "test_environment.h"

namespace tlx::test {

bool ReadOnlyBindsThisUser() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return true;  // Windows itself
  wchar_t folder[MAX_PATH + 1];
  if (!GetTempPathW(MAX_PATH, folder)) return true;
  const std::wstring probe = std::wstring(folder) + L"tlx-readonly-probe-" + std::to_wstring(GetCurrentProcessId());
  HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return true;
  CloseHandle(h);
  SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_READONLY);
  h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  const bool binds = h == INVALID_HANDLE_VALUE;
  if (!binds) CloseHandle(h);
  SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(probe.c_str());
  return binds;
}

}  // namespace tlx::test
