#include "package/uninstall_entry.h"

#include <algorithm>
#include <ctime>
#include <memory>

#include "package/desktop_shortcut.h"
#include "package/folder_size.h"
#include "package/install_marker.h"
#include "package/install_work_items.h"
#include "package/suite_identity.h"
#include "platform/file.h"
#include "store/wfile.h"

namespace tlx::package {

std::string UninstallCommand(const std::string& install_dir, bool quiet) {
  std::string command = "\"" + install_dir + "\\" + kUninstallProgramName + "\" " + kUninstallSwitch;
  if (quiet) command += " /VERYSILENT";
  return command;
}

platform::RegistryValues UninstallEntryValues(const std::string& install_dir, uint64_t size, const std::string& date) {
  using platform::RegistryValue;
  const uint64_t kib = (size + 1023) / 1024;
  return {
      RegistryValue::Text("DisplayName", kSuiteDisplayName),
      RegistryValue::Text("DisplayVersion", kSuiteVersion),
      RegistryValue::Text("Publisher", kPublisher),
      RegistryValue::Text("InstallLocation", install_dir),
      RegistryValue::Text("DisplayIcon", install_dir + kSuiteProgramFolder + "\\" + kSuiteProgram),
      RegistryValue::Number("EstimatedSize", kib > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(kib)),
      RegistryValue::Text("UninstallString", UninstallCommand(install_dir, false)),
      RegistryValue::Text("QuietUninstallString", UninstallCommand(install_dir, true)),
      RegistryValue::Number("NoModify", 1),
      RegistryValue::Number("NoRepair", 1),
      RegistryValue::Text("InstallDate", date),
  };
}

std::string LocalDateText() {
  const std::time_t now = std::time(nullptr);
  char text[16] = "";
  if (const std::tm* local = std::localtime(&now)) std::strftime(text, sizeof text, "%Y%m%d", local);
  return text;
}

void RegisterUninstaller(const InstallRecord& record, const std::string& program, WorkItemList& journal) {
  store::CopyFile(program, record.install_dir + "\\" + kUninstallProgramName);
  WriteInstallRecord(record);
  // The marker of the installation in progress is in the folder now and gone when it ends: not the suite's.
  uint64_t size = FolderSize(record.install_dir);
  platform::File marker = platform::File::Open(record.install_dir + "\\" + kInstallMarkerName, {});
  if (const int64_t marker_size = marker.valid() ? marker.Size() : -1; marker_size > 0) {
    size -= std::min(size, static_cast<uint64_t>(marker_size));
  }
  journal.Add(std::make_unique<RegistryKeyItem>(kUninstallKey,
                                                UninstallEntryValues(record.install_dir, size, LocalDateText())));
}

std::string RegisteredInstallLocation() {
  const std::optional<platform::RegistryValues> values = platform::ReadUserRegistryKey(kUninstallKey);
  if (!values) return {};
  const platform::RegistryValue* location = platform::FindRegistryValue(*values, "InstallLocation");
  return location && !location->is_number ? location->text : std::string();
}

}  // namespace tlx::package
