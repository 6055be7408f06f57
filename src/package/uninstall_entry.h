// The suite's entry in the list of installed programs: the key under the current user's
// "Uninstall" key that Windows' "Programs and Features" and deployment tools read, and the
// uninstaller it names. A successful installation copies the setup program into the installation
// folder as "Uninstall.exe", writes the record of what it installed (install_record.h) and then the
// entry.
#pragma once
#include <cstdint>
#include <string>

#include "package/install_record.h"
#include "package/work_item.h"
#include "platform/registry.h"

namespace tlx::package {

inline constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TlxSetup5_320";
// The switch that makes the setup program an uninstaller.
inline constexpr char kUninstallSwitch[] = "/UNINSTALL";

// `"<install_dir>\Uninstall.exe" /UNINSTALL`, with " /VERYSILENT" when `quiet`.
std::string UninstallCommand(const std::string& install_dir, bool quiet);

// The entry's values for an installation in `install_dir` whose files take `size` bytes, made on
// `date` (YYYYMMDD): DisplayName, DisplayVersion, Publisher, InstallLocation, DisplayIcon,
// EstimatedSize (KiB, rounded up), UninstallString, QuietUninstallString, NoModify, NoRepair,
// InstallDate.
platform::RegistryValues UninstallEntryValues(const std::string& install_dir, uint64_t size, const std::string& date);

// Today's local date as YYYYMMDD.
std::string LocalDateText();

// Registers the installation of `record`: copies `program` to install_dir\Uninstall.exe, writes the
// record, and adds the registry entry to `journal` (so a failure after it takes the entry back).
// Raises the file layer's ZError, or RaiseSysError naming the key when the entry cannot be written.
void RegisterUninstaller(const InstallRecord& record, const std::string& program, WorkItemList& journal);

// The installation folder the entry names (InstallLocation); empty when there is no entry.
std::string RegisteredInstallLocation();

}  // namespace tlx::package
