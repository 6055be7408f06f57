// Removing an installed suite by the record its installation left (install_record.h): what the
// installation wrote goes, what the user made afterwards (estimates, archives, autosaves in the
// working folders) stays with the folders that hold it.
#pragma once
#include <string>
#include <vector>

namespace tlx::package {

struct UninstallReport {
  std::vector<std::string> steps;         // one line per step, for the log
  std::vector<std::string> left;          // what of the installation could not be removed, with the reason
  std::vector<std::string> kept_folders;  // folders left because they hold what was made after installing
};

// Removes the installation in `install_dir`: every recorded file still there (never through a link;
// read-only ones too), the recorded folders that are then empty (innermost first), the desktop
// shortcut while it is a link into `install_dir`, the registry entry while it names `install_dir`,
// the uninstaller and the record, the installation folder and the parent folders the installation
// created when they are empty. When any installed file stays (in use, access denied), the
// uninstaller, the record and the entry stay too, so that it can be run again. Raises the ZError of
// ReadInstallRecord before touching anything when the folder holds no record.
UninstallReport Uninstall(const std::string& install_dir);

}  // namespace tlx::package
