// The process-wide configuration of the POSIX platform: the seam through which tests and the native
// programs decide which drives exist, the desktop and Windows folders, and the version record.
#include "platform/config.h"

#include <climits>
#include <cstdlib>

#include <unistd.h>

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
    // A relative folder is the current folder's now: later changes of the current folder must not
    // move the drive.
    char cwd[PATH_MAX];
    if (!drive.folder.empty() && drive.folder[0] != '/' && getcwd(cwd, sizeof cwd)) {
      drive.folder = std::string(cwd) + "/" + drive.folder;
    }
  }
  Config() = std::move(copy);
  return true;
}

const PlatformConfig& CurrentConfig() { return Config(); }

std::optional<std::string> NativePath(const std::string& path) { return posix::MapPath(path); }

void UseUserRegistryFile() {
  if (Config().registry_file) return;
  const char* config_home = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  std::string folder;
  if (config_home && *config_home) {
    folder = config_home;
  } else if (home && *home) {
    folder = std::string(home) + "/.config";
  } else {
    return;  // nowhere to keep it: the registry lives in memory
  }
  Config().registry_file = folder + "/tlxsetup/registry.ini";
}

}  // namespace tlx::platform
