#include "platform/drives.h"

#include "platform/win/wide.h"

namespace tlx::platform {

namespace {

// Keeps the system from asking the user to insert a medium while it lives (this thread only).
class NoCriticalErrorBox {
 public:
  NoCriticalErrorBox() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &old_); }
  ~NoCriticalErrorBox() {
    win::KeepLastError keep;
    ::SetThreadErrorMode(old_, nullptr);
  }
  NoCriticalErrorBox(const NoCriticalErrorBox&) = delete;
  NoCriticalErrorBox& operator=(const NoCriticalErrorBox&) = delete;

 private:
  DWORD old_ = 0;
};

bool HasDriveLetter(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
}

}  // namespace

uint32_t LogicalDrives() { return ::GetLogicalDrives(); }

DriveType GetDriveType(const std::string& root) {
  std::string path = root;
  if (HasDriveLetter(path)) path = path.substr(0, 2) + "\\";
  std::optional<std::wstring> wide = win::Wide(path);
  if (!wide) return DriveType::Unknown;
  return static_cast<DriveType>(::GetDriveTypeW(wide->c_str()));
}

std::optional<uint64_t> FreeBytes(const std::string& path) {
  // The drive's root answers even when the folder below it does not exist yet.
  std::string query = HasDriveLetter(path) ? path.substr(0, 2) + "\\" : path;
  if (!query.empty() && query.back() != '\\' && query.back() != '/') query += '\\';
  std::optional<std::wstring> wide = win::Wide(query);
  if (!wide) return std::nullopt;
  NoCriticalErrorBox no_box;
  ULARGE_INTEGER available;
  if (!::GetDiskFreeSpaceExW(wide->c_str(), &available, nullptr, nullptr)) return std::nullopt;
  return available.QuadPart;
}

}  // namespace tlx::platform
