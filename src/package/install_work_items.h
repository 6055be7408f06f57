// The work items of an installation (see work_item.h): the folders it created, the marker of an
// installation in progress, everything below the installation folder, the desktop shortcut and the
// registry entry.
#pragma once
#include <string>
#include <vector>

#include "package/work_item.h"
#include "platform/registry.h"

namespace tlx::package {

// Folders created before the item was added (by the install-directory step), outermost first.
// Rollback removes them innermost first, each only when it is empty and not a link.
class CreatedFoldersItem : public WorkItem {
 public:
  explicit CreatedFoldersItem(std::vector<std::string> created) : created_(std::move(created)) {}
  void Do() override {}
  void Rollback(RollbackReport& report) override;

 private:
  std::vector<std::string> created_;
};

// The marker of an installation in progress (install_marker.h): Do writes it, Rollback removes it.
class InstallMarkerItem : public WorkItem {
 public:
  explicit InstallMarkerItem(std::string install_dir) : install_dir_(std::move(install_dir)) {}
  void Do() override;
  void Rollback(RollbackReport& report) override;

 private:
  std::string install_dir_;
};

// Everything below the installation folder belongs to the installation (the folder did not exist,
// or held only an unfinished installation): Rollback removes it, apart from the marker and from
// links (remove_tree.h).
class InstallFolderContentItem : public WorkItem {
 public:
  explicit InstallFolderContentItem(std::string install_dir) : install_dir_(std::move(install_dir)) {}
  void Do() override {}
  void Rollback(RollbackReport& report) override;

 private:
  std::string install_dir_;
};

// The desktop shortcut the installation placed at `link_path`. Rollback deletes it while it is a
// link into `install_dir`.
class ShortcutItem : public WorkItem {
 public:
  ShortcutItem(std::string link_path, std::string install_dir)
      : link_path_(std::move(link_path)), install_dir_(std::move(install_dir)) {}
  void Do() override {}
  void Rollback(RollbackReport& report) override;

 private:
  std::string link_path_;
  std::string install_dir_;
};

// A key of the current user's registry made to hold `values`. Do remembers what the key held
// before and raises RaiseSysError naming the key when it cannot write it; Rollback puts the old
// values back, or deletes the key when there was none.
class RegistryKeyItem : public WorkItem {
 public:
  RegistryKeyItem(std::string key, platform::RegistryValues values)
      : key_(std::move(key)), values_(std::move(values)) {}
  void Do() override;
  void Rollback(RollbackReport& report) override;

 private:
  std::string key_;
  platform::RegistryValues values_;
  std::optional<platform::RegistryValues> previous_;
  bool written_ = false;
};

// True when `link_path` is a shell link whose target lies below `install_dir` (letter case aside).
bool LinkPointsInto(const std::string& link_path, const std::string& install_dir);

// "HKEY_CURRENT_USER\" + key: the key as people read it.
std::string UserKeyName(const std::string& key);

}  // namespace tlx::package
