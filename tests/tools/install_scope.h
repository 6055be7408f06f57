// The sample distribution the native end-to-end tests install from, and the platform settings an
// installation reads, set for a test and put back after it.
#pragma once
#include <filesystem>
#include <string>

#include "platform/config.h"
#include "support/temp_drive.h"

namespace tlx::test {

// The sample payload in `drive`'s folder "payload" and its distribution in "dist", with volumes of
// 64 KiB as the sample distribution has them: several per group.
void BuildSampleDistribution(const TempDrive& drive);

// Sets the desktop folder, the system version and the registry file an installation reads; puts them
// and the current folder back when it goes.
class InstallSettingsScope {
 public:
  InstallSettingsScope(const std::string& desktop, const std::string& registry_file);
  ~InstallSettingsScope();
  InstallSettingsScope(const InstallSettingsScope&) = delete;
  InstallSettingsScope& operator=(const InstallSettingsScope&) = delete;

 private:
  std::filesystem::path saved_cwd_;
  platform::PlatformConfig saved_config_;
};

}  // namespace tlx::test
