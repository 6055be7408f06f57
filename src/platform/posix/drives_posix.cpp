// Drives on POSIX come from the configuration: which letters exist, their types, their free space.
#include <sys/statvfs.h>

#include <cerrno>

#include "platform/config.h"
#include "platform/drives.h"
#include "platform/error.h"
#include "platform/posix/posix_internal.h"

namespace tlx::platform {

namespace {
const DriveConfig* DriveOf(const std::string& path) {
  if (path.size() < 2 || path[1] != ':') return nullptr;
  const char letter = static_cast<char>(path[0] | 0x20);
  for (const DriveConfig& drive : CurrentConfig().drives) {
    if (drive.letter == letter) return &drive;
  }
  return nullptr;
}
}  // namespace

uint32_t LogicalDrives() {
  uint32_t mask = 0;
  for (const DriveConfig& drive : CurrentConfig().drives) {
    if (drive.letter >= 'a' && drive.letter <= 'z') mask |= 1u << (drive.letter - 'a');
  }
  return mask;
}

DriveType GetDriveType(const std::string& root) {
  const DriveConfig* drive = DriveOf(root);
  return drive ? drive->type : DriveType::NoRootDir;
}

std::optional<uint64_t> FreeBytes(const std::string& path) {
  std::string native;
  if (path.size() >= 2 && path[1] == ':') {
    const DriveConfig* drive = posix::DriveWithMedium(path[0]);
    if (!drive) return std::nullopt;
    if (drive->free_bytes) return drive->free_bytes;
    native = drive->folder;
  } else {
    auto mapped = posix::MapPath(path);
    if (!mapped) return std::nullopt;
    native = *mapped;
  }
  struct statvfs vfs;
  if (statvfs(native.c_str(), &vfs) != 0) {
    posix::SetErrnoError(errno, native);
    return std::nullopt;
  }
  return static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
}

}  // namespace tlx::platform
