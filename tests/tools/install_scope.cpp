#include "tools/install_scope.h"

#include "tools/mksample/sample_payload.h"
#include "tools/tlxpack/build.h"

namespace tlx::test {

void BuildSampleDistribution(const TempDrive& drive) {
  mksample::WriteSamplePayload(drive.Path("payload"), "");
  tlxpack::BuildOptions options;
  options.payload = drive.Path("payload");
  options.destination = drive.Path("dist");
  options.volume_size = 64 << 10;
  options.jobs = 2;
  tlxpack::BuildDistribution(options);
}

InstallSettingsScope::InstallSettingsScope(const std::string& desktop, const std::string& registry_file)
    : saved_cwd_(std::filesystem::current_path()), saved_config_(platform::CurrentConfig()) {
  platform::PlatformConfig config = saved_config_;
  config.desktop_folder = desktop;
  config.os_version = platform::DefaultOSVersion();
  config.registry_file = registry_file;
  platform::Configure(config);
}

InstallSettingsScope::~InstallSettingsScope() {
  std::filesystem::current_path(saved_cwd_);
  platform::PlatformConfig config = platform::CurrentConfig();
  config.desktop_folder = saved_config_.desktop_folder;
  config.os_version = saved_config_.os_version;
  config.registry_file = saved_config_.registry_file;
  platform::Configure(config);
}

}  // namespace tlx::test
