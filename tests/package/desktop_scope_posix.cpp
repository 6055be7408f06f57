#include "package/desktop_scope.h"

#include "platform/config.h"

namespace tlx::test {

ScopedDesktop::ScopedDesktop(std::optional<std::string> desktop, const std::string& windows_folder) {
  platform::PlatformConfig config = platform::CurrentConfig();
  saved_desktop_ = config.desktop_folder;
  saved_windows_ = config.windows_folder;
  config.desktop_folder = std::move(desktop);
  config.windows_folder = windows_folder;
  platform::Configure(config);
}

ScopedDesktop::~ScopedDesktop() {
  platform::PlatformConfig config = platform::CurrentConfig();
  config.desktop_folder = saved_desktop_;
  config.windows_folder = saved_windows_;
  platform::Configure(config);
}

bool ScopedDesktop::ChoosesWindowsFolder() { return true; }

}  // namespace tlx::test
