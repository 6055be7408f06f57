#include "app/package_actions.h"

#include "package/clear_folder.h"
#include "package/desktop_shortcut.h"
#include "package/install_marker.h"
#include "package/uninstall_entry.h"
#include "platform/fs.h"

namespace tlx::app {

void PackageInstallActions::ClearFolder(const std::string& folder) {
  package::ClearFolder(folder, package::kInstallMarkerName);
}

bool PackageInstallActions::InstallPackage(TInsMain& main) {
  package::InstallSettings settings;
  settings.InstallDir = main.InstallDir;
  settings.InstallVariant = main.InstallVariant;
  settings.StartDir = main.StartDir;
  settings.record = &main.Record;
  return package::InstallPackage(settings, view_, main.Measure);
}

std::optional<std::string> PackageInstallActions::PlaceDesktopShortcut(const std::string& install_dir,
                                                                       const std::string& name) {
  return package::PlaceDesktopShortcut(install_dir, name);
}

void PackageInstallActions::RegisterUninstaller(TInsMain& main, package::WorkItemList& journal) {
  package::RegisterUninstaller(main.Record, UninstallerProgram(), journal);
}

std::string PackageInstallActions::UninstallerProgram() const { return platform::ProgramPath(); }

}  // namespace tlx::app
