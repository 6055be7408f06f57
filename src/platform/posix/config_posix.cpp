// The process-wide configuration of the POSIX platform: the seam through which tests and the native
// programs decide which drives exist, the desktop and Windows folders, and the version record.
#include "platform/config.h"
#include "platform/posix/posix_internal.h"

namespace tlx::platform {

namespace {
PlatformConfig& Config() {
  static PlatformConfig config = [] {
    PlatformConfig initial;
    initial.os_version = DefaultOSVersion();
    return initial;
  }();
  return config;
}
}  // namespace

bool Configure(const PlatformConfig& config) {
  PlatformConfig copy = config;
  for (DriveConfig& drive : copy.drives) {
    drive.letter = static_cast<char>(drive.letter | 0x20);
    while (drive.folder.size() > 1 && drive.folder.back() == '/') drive.folder.pop_back();
  }
  Config() = std::move(copy);
  return true;
}

const PlatformConfig& CurrentConfig() { return Config(); }

std::optional<std::string> NativePath(const std::string& path) { return posix::MapPath(path); }

}  // namespace tlx::platform
