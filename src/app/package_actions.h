// The wizard's install actions carried out by the installation package.
#pragma once
#include "app/wizard.h"
#include "package/install_package.h"

namespace tlx::app {

class PackageInstallActions : public InstallActions {
 public:
  // `view` shows the install step's progress and error list; it must outlive this object.
  explicit PackageInstallActions(package::InstallView& view) : view_(view) {}
  void ClearFolder(const std::string& folder) override;
  bool InstallPackage(TInsMain& main) override;
  std::optional<std::string> PlaceDesktopShortcut(const std::string& install_dir, const std::string& name) override;
  void RegisterUninstaller(TInsMain& main, package::WorkItemList& journal) override;
  // The program copied into the installation as its uninstaller: the running setup program.
  virtual std::string UninstallerProgram() const;

 private:
  package::InstallView& view_;
};

}  // namespace tlx::app
