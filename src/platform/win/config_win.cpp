#include "platform/config.h"

namespace tlx::platform {

namespace {

// The real system answers every question on Windows: only the default configuration is accepted.
bool IsDefault(const PlatformConfig& config) {
  const PlatformConfig none;
  return config.drives.empty() && config.desktop_folder == none.desktop_folder &&
         config.registry_file == none.registry_file &&
         config.windows_folder == none.windows_folder && !config.os_version &&
         config.processor_architecture == none.processor_architecture &&
         config.server_r2 == none.server_r2 && config.screen.width == none.screen.width &&
         config.screen.height == none.screen.height;
}

}  // namespace

bool Configure(const PlatformConfig& config) { return IsDefault(config); }

const PlatformConfig& CurrentConfig() {
  static const PlatformConfig config;
  return config;
}

std::optional<std::string> NativePath(const std::string& path) { return path; }

void UseUserRegistryFile() {}

}  // namespace tlx::platform
