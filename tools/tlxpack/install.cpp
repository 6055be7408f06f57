#include "tools/tlxpack/install.h"

#include <algorithm>
#include <stdexcept>

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
    if (folder.size() >= 2 && folder[1] == ':') return;  // a drive path already
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

std::vector<std::string> InstallDistribution(const std::string& distribution, const std::string& install_dir,
                                             int variant, package::SizeMeasure* measure) {
  KeepCurrentFolder keep;
  if (!platform::CreateFolderTree(install_dir)) throw std::runtime_error(install_dir + ": cannot be created");
  const InstallRoot root(install_dir);
  package::InstallSettings settings;
  settings.InstallDir = root.path();
  settings.InstallVariant = variant;
  settings.StartDir = distribution;
  SilentView view;
  package::SizeMeasure none;
  const bool installed = package::InstallPackage(settings, view, measure != nullptr ? *measure : none);
  if (installed) return {};
  return view.errors.empty() ? std::vector<std::string>{"the install step failed"} : view.errors;
}

}  // namespace tlx::tlxpack
