// A stand-in for a system DLL, built under the names of several and put beside setup.exe by the
// DLL-planting test. Loaded into a process, it appends the path it was loaded from to
// C:\canary-loaded.txt and does nothing else; the test fails when that file exists.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(self, path, MAX_PATH);
  char line[4 * MAX_PATH + 2];
  int size = ::WideCharToMultiByte(CP_UTF8, 0, path, static_cast<int>(length), line, 4 * MAX_PATH, nullptr, nullptr);
  line[size++] = '\r';
  line[size++] = '\n';
  HANDLE marker = ::CreateFileW(L"C:\\canary-loaded.txt", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (marker != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    ::WriteFile(marker, line, static_cast<DWORD>(size), &written, nullptr);
    ::CloseHandle(marker);
  }
  return TRUE;
}
