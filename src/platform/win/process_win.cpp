#include "platform/process.h"

#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <utility>

#include "platform/win/wide.h"

namespace tlx::platform {

static_assert(sizeof(OSVERSIONINFOEXA) == sizeof(OSVersionRecord));

NamedMutex::~NamedMutex() {
  if (handle_ != 0) {
    win::KeepLastError keep;
    ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  }
}

NamedMutex::NamedMutex(NamedMutex&& other) noexcept
    : handle_(std::exchange(other.handle_, 0)),
      already_exists_(std::exchange(other.already_exists_, false)) {}

NamedMutex& NamedMutex::operator=(NamedMutex&& other) noexcept {
  if (this != &other) {
    NamedMutex old(std::move(*this));
    handle_ = std::exchange(other.handle_, 0);
    already_exists_ = std::exchange(other.already_exists_, false);
  }
  return *this;
}

NamedMutex NamedMutex::Create(const std::string& name) {
  NamedMutex m;
  std::optional<std::wstring> wide = win::Wide(name);
  if (!wide) return m;
  ::SetLastError(ERROR_SUCCESS);  // a fresh mutex need not clear it
  HANDLE h = ::CreateMutexW(nullptr, FALSE, wide->c_str());
  if (h == nullptr) return m;
  m.already_exists_ = ::GetLastError() == ERROR_ALREADY_EXISTS;
  m.handle_ = reinterpret_cast<intptr_t>(h);
  return m;
}

std::optional<OSVersionRecord> QueryOSVersion() {
  OSVERSIONINFOEXA info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return std::nullopt;
  OSVersionRecord record;
  record.size = info.dwOSVersionInfoSize;
  record.major = info.dwMajorVersion;
  record.minor = info.dwMinorVersion;
  record.build = info.dwBuildNumber;
  record.platform_id = info.dwPlatformId;
  std::memcpy(record.service_pack_text, info.szCSDVersion, sizeof record.service_pack_text);
  record.service_pack_major = info.wServicePackMajor;
  record.service_pack_minor = info.wServicePackMinor;
  record.suite_mask = info.wSuiteMask;
  record.product_type = info.wProductType;
  record.reserved = info.wReserved;
  return record;
}

uint16_t ProcessorArchitecture() {
  SYSTEM_INFO info;
  ::GetNativeSystemInfo(&info);
  return info.wProcessorArchitecture;
}

int ServerR2Metric() { return ::GetSystemMetrics(SM_SERVERR2); }

Size ScreenSize() { return Size{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}; }

Rect DesktopRect() {
  RECT r;
  if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) {
    Size screen = ScreenSize();
    return Rect{0, 0, screen.width, screen.height};
  }
  return Rect{r.left, r.top, r.right, r.bottom};
}

bool RemoveOwnProgramFile() {
  wchar_t self[MAX_PATH + 1];
  const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return false;
  if (::DeleteFileW(self)) return true;  // a system that allows it
  wchar_t temp[MAX_PATH + 1];
  const DWORD temp_length = ::GetTempPathW(MAX_PATH + 1, temp);
  if (temp_length == 0 || temp_length > MAX_PATH) return false;
  const std::wstring moved = std::wstring(temp) + L"TlxUninstall-" + std::to_wstring(::GetCurrentProcessId()) + L".exe";
  // A running program may be renamed within its volume, never deleted: moved out of the folder it
  // removes, it goes at the next restart (a request only administrators may make; otherwise the
  // temporary folder keeps it).
  if (!::MoveFileExW(self, moved.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
  ::MoveFileExW(moved.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return true;
}

namespace {
std::function<void()>& InterruptCleanup() {
  static std::function<void()> cleanup;
  return cleanup;
}

// The system calls console handlers on a thread of its own; FALSE lets the default handler end the
// process afterwards.
BOOL WINAPI OnConsoleEvent(DWORD) {
  static std::once_flag once;
  std::call_once(once, [] {
    if (InterruptCleanup()) InterruptCleanup()();
  });
  return FALSE;
}
}  // namespace

void OnInterrupt(std::function<void()> cleanup) {
  InterruptCleanup() = std::move(cleanup);
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace tlx::platform
