#include "package/install_work_items.h"

#include "messages/zerror.h"
#include "package/install_marker.h"
#include "package/remove_tree.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace tlx::package {

std::string UserKeyName(const std::string& key) { return "HKEY_CURRENT_USER\\" + key; }

bool LinkPointsInto(const std::string& link_path, const std::string& install_dir) {
  const std::optional<platform::ShellLink> link = platform::ReadShellLink(link_path);
  if (!link) return false;
  return platform::UpperUtf8(link->target).rfind(platform::UpperUtf8(install_dir + "\\"), 0) == 0;
}

void CreatedFoldersItem::Rollback(RollbackReport& report) {
  for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
    const auto attributes = platform::Attributes(*it);
    if (!attributes) continue;  // gone already
    if ((*attributes & platform::attr::kReparsePoint) != 0 || !platform::RemoveFolder(*it)) {
      report.left.push_back(LeftLine(*it));
      continue;
    }
    report.steps.push_back("removed folder " + *it);
  }
}

void InstallMarkerItem::Do() { WriteInstallMarker(install_dir_); }

void InstallMarkerItem::Rollback(RollbackReport& report) {
  if (RemoveInstallMarker(install_dir_)) {
    report.steps.push_back("removed the marker of the unfinished installation");
  } else {
    report.left.push_back(LeftLine(install_dir_ + "\\" + kInstallMarkerName));
  }
}

void InstallFolderContentItem::Rollback(RollbackReport& report) {
  const RemovalCount count = RemoveFolderContent(install_dir_, report.left, kInstallMarkerName);
  report.steps.push_back("removed from " + install_dir_ + ": " + std::to_string(count.files) + " files, " +
                         std::to_string(count.folders) + " folders");
}

void ShortcutItem::Rollback(RollbackReport& report) {
  if (!platform::Attributes(link_path_)) return;
  if (!LinkPointsInto(link_path_, install_dir_)) {
    report.steps.push_back("shortcut " + link_path_ + " no longer points into " + install_dir_ + ": left");
    return;
  }
  if (DeletePlainFile(link_path_)) {
    report.steps.push_back("removed shortcut " + link_path_);
  } else {
    report.left.push_back(LeftLine(link_path_));
  }
}

void RegistryKeyItem::Do() {
  previous_ = platform::ReadUserRegistryKey(key_);
  if (!previous_ && platform::LastError() != platform::err::kFileNotFound) messages::RaiseSysError(UserKeyName(key_));
  written_ = true;
  if (!platform::WriteUserRegistryKey(key_, values_)) messages::RaiseSysError(UserKeyName(key_));
}

void RegistryKeyItem::Rollback(RollbackReport& report) {
  if (!written_) return;
  const bool undone = previous_ ? platform::WriteUserRegistryKey(key_, *previous_) : platform::DeleteUserRegistryKey(key_);
  if (!undone) {
    report.left.push_back(UserKeyName(key_) + " - " + messages::SysErrorText(platform::LastError()));
  } else {
    report.steps.push_back((previous_ ? "restored registry key " : "removed registry key ") + UserKeyName(key_));
  }
}

}  // namespace tlx::package
