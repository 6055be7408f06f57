#include "app/package_actions.h"

#include "package/clear_folder.h"
#include "package/desktop_shortcut.h"

namespace tlx::app {

void PackageInstallActions::ClearFolder(const std::string& folder) { package::ClearFolder(folder); }

bool PackageInstallActions::InstallPackage(TInsMain& main) {
  package::InstallSettings settings;
  settings.InstallDir = main.InstallDir;
  settings.InstallVariant = main.InstallVariant;
  settings.StartDir = main.StartDir;
  return package::InstallPackage(settings, view_, main.Measure);
}

bool PackageInstallActions::PlaceDesktopShortcut(const std::string& install_dir, const std::string& name) {
  return package::PlaceDesktopShortcut(install_dir, name);
}

}  // namespace tlx::app
