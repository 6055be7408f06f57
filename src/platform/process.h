// Process-level services: the single-instance mutex, the OS version record, screen metrics.
#pragma once
#include <cstdint>
#include <optional>
#include <functional>
#include <string>

namespace tlx::platform {

// A named mutex held for the object's lifetime. Move-only.
class NamedMutex {
 public:
  NamedMutex() = default;
  ~NamedMutex();
  NamedMutex(NamedMutex&& other) noexcept;
  NamedMutex& operator=(NamedMutex&& other) noexcept;
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  // Creates or opens the mutex `name`; already_exists() tells whether another holder had it.
  static NamedMutex Create(const std::string& name);
  bool valid() const { return handle_ != 0; }
  bool already_exists() const { return already_exists_; }

 private:
  intptr_t handle_ = 0;
  bool already_exists_ = false;
};

// The extended version record as the system fills it (OSVERSIONINFOEXA layout, 156 bytes).
#pragma pack(push, 1)
struct OSVersionRecord {
  uint32_t size = 156;
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t platform_id = 0;
  char service_pack_text[128] = {};
  uint16_t service_pack_major = 0;
  uint16_t service_pack_minor = 0;
  uint16_t suite_mask = 0;
  uint8_t product_type = 0;  // 1 workstation, 2 domain controller, 3 server
  uint8_t reserved = 0;
};
#pragma pack(pop)
static_assert(sizeof(OSVersionRecord) == 156);

// Fills the record from the system; nullopt when the query fails.
std::optional<OSVersionRecord> QueryOSVersion();
// PROCESSOR_ARCHITECTURE_* of the native system (9 = AMD64, 0 = x86, 6 = IA64).
uint16_t ProcessorArchitecture();
// GetSystemMetrics(SM_SERVERR2): non-zero on the second release of Server 2003.
int ServerR2Metric();

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};
struct Size {
  int width = 0, height = 0;
};
Size ScreenSize();

// Removes the running program's own file, for an uninstaller that lives in the folder it removes:
// deleted where the system allows that; on Windows, which refuses while the program runs, moved into
// the temporary folder (on the same volume) and marked for deletion at the next restart. False
// when the file stays where it is.
bool RemoveOwnProgramFile();
Rect DesktopRect();  // work area without the task bar

// Runs `cleanup` once when the process is asked to end from outside (POSIX: SIGINT, SIGTERM, SIGHUP;
// Windows: Ctrl+C, Ctrl+Break, the console closed), then lets the request end the process as it would
// have without it (POSIX: the same signal again, with its default action). `cleanup` runs on a thread
// of its own while the others go on; it must not wait for them (on POSIX the files they hold open no
// longer refuse its deletes by their sharing modes). Call it once, before the process
// starts any other thread (on POSIX the signals are blocked in the calling thread and in every thread
// started after it; programs it runs get them unblocked).
void OnInterrupt(std::function<void()> cleanup);

}  // namespace tlx::platform
