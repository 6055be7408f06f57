#include "tools/tlxpack/measure.h"

#include <algorithm>
#include <stdexcept>

#include "package/clear_folder.h"
#include "package/folder_size.h"
#include "package/install_package.h"
#include "platform/config.h"
#include "platform/fs.h"

namespace tlx::tlxpack {

namespace {

// The install step's view when nobody watches: every bar and list goes nowhere.
class SilentView : public package::InstallView {
 public:
  void ResetVolumeBars(int) override {}
  void ShowVolumeBars(const std::string&, int, int) override {}
  void ShowProgressPanel() override {}
  void ShowFileBar(int, int) override {}
  void ShowErrorList(const std::vector<std::string>& lines) override { errors = lines; }

  std::vector<std::string> errors;
};

// Restores the current folder, which the install step moves to the distribution's Setup folder.
class KeepCurrentFolder {
 public:
  KeepCurrentFolder() : folder_(platform::CurrentFolder()) {}
  ~KeepCurrentFolder() { platform::SetCurrentFolder(folder_); }
  KeepCurrentFolder(const KeepCurrentFolder&) = delete;
  KeepCurrentFolder& operator=(const KeepCurrentFolder&) = delete;

 private:
  std::string folder_;
};

// The installation folder as the installer sees it. The installer names files without regard to
// letter case (it copies "\Cfg\cfg.tlx" that the payload calls Cfg.tlx); native POSIX paths are
// taken literally, so there the working folder is reached through a drive letter mapped onto it for
// the time of the measurement. On Windows the configuration cannot change and the folder stays.
class InstallRoot {
 public:
  explicit InstallRoot(const std::string& folder) : saved_(platform::CurrentConfig()), path_(folder) {
    platform::PlatformConfig config = saved_;
    for (char letter = 'z'; letter >= 'd'; --letter) {
      const bool taken = std::any_of(config.drives.begin(), config.drives.end(),
                                     [&](const platform::DriveConfig& d) { return d.letter == letter; });
      if (taken) continue;
      platform::DriveConfig drive;
      drive.letter = letter;
      drive.folder = folder;
      config.drives.push_back(drive);
      if (platform::Configure(config)) {
        mapped_ = true;
        path_ = std::string(1, letter) + ":";
      }
      return;
    }
  }
  ~InstallRoot() {
    if (mapped_) platform::Configure(saved_);
  }
  InstallRoot(const InstallRoot&) = delete;
  InstallRoot& operator=(const InstallRoot&) = delete;

  // The folder, without a trailing separator.
  const std::string& path() const { return path_; }

 private:
  platform::PlatformConfig saved_;
  std::string path_;
  bool mapped_ = false;
};

}  // namespace

uint64_t MeasureRequiredSpace(const std::string& distribution, const std::string& work_folder) {
  KeepCurrentFolder keep;
  const InstallRoot root(work_folder);
  uint64_t required = 0;
  for (int variant = 0; variant <= 1; ++variant) {
    package::InstallSettings settings;
    settings.InstallDir = root.path() + "\\measure" + std::to_string(variant);
    settings.InstallVariant = variant;
    settings.StartDir = distribution;
    if (!platform::CreateFolderTree(settings.InstallDir)) {
      throw std::runtime_error(settings.InstallDir + ": cannot be created");
    }
    SilentView view;
    package::SizeMeasure measure;
    measure.enabled = true;
    const bool installed = package::InstallPackage(settings, view, measure);
    package::ClearFolder(settings.InstallDir);
    platform::RemoveFolder(settings.InstallDir);
    if (!installed) {
      std::string lines;
      for (const std::string& line : view.errors) lines += "\n  " + line;
      throw std::runtime_error(distribution + ": the measuring installation of variant " + std::to_string(variant) +
                               " failed:" + lines);
    }
    required = std::max(required, measure.PeakSize);
  }
  return required;
}

}  // namespace tlx::tlxpack
