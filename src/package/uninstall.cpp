#include "package/uninstall.h"

#include <algorithm>
#include <set>

#include "messages/zerror.h"
#include "package/install_record.h"
#include "package/install_work_items.h"
#include "package/remove_tree.h"
#include "package/uninstall_entry.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace tlx::package {

namespace {

bool IsLink(uint32_t attributes) { return (attributes & platform::attr::kReparsePoint) != 0; }

// True when `path` or a component of it below `root` is a link or junction.
bool RunsThroughLink(const std::string& root, const std::string& path) {
  for (size_t end = root.size() + 1; end <= path.size(); ++end) {
    end = path.find('\\', end);
    if (end == std::string::npos) end = path.size();
    const auto attributes = platform::Attributes(path.substr(0, end));
    if (!attributes) return false;
    if (IsLink(*attributes)) return true;
  }
  return false;
}

size_t Depth(const std::string& relative) { return static_cast<size_t>(std::count(relative.begin(), relative.end(), '\\')); }

class Remover {
 public:
  Remover(const InstallRecord& record, UninstallReport& report) : record_(record), dir_(record.install_dir), report_(report) {
    for (const std::string& file : record.files) installed_.insert(platform::UpperUtf8(file));
    installed_.insert(platform::UpperUtf8(kInstallRecordName));
    installed_.insert(platform::UpperUtf8(kUninstallProgramName));
  }

  void Run() {
    if (RunsThroughLink(dir_, dir_) || IsLinkPath(dir_)) {
      report_.left.push_back(dir_ + " - ссылка; удаление через ссылки не выполняется");
      return;
    }
    RemoveFiles();
    RemoveShortcut();
    const bool complete = report_.left.empty();
    if (complete) {
      RemoveEntry();
      RemoveOwn(kInstallRecordName);
      RemoveOwnProgram();
    }
    RemoveFolders();
    if (complete) RemoveParents();
  }

 private:
  static bool IsLinkPath(const std::string& path) {
    const auto attributes = platform::Attributes(path);
    return attributes && IsLink(*attributes);
  }

  void RemoveFiles() {
    size_t removed = 0;
    for (const std::string& relative : record_.files) {
      const std::string path = dir_ + "\\" + relative;
      if (RunsThroughLink(dir_, path)) {
        report_.steps.push_back("passed over " + path + ": its path runs through a link");
        continue;
      }
      if (!platform::Attributes(path)) continue;  // removed already
      if (DeletePlainFile(path)) {
        ++removed;
      } else {
        report_.left.push_back(LeftLine(path));
      }
    }
    report_.steps.push_back("removed " + std::to_string(removed) + " of " + std::to_string(record_.files.size()) +
                            " installed files from " + dir_);
  }

  void RemoveShortcut() {
    const std::string& link = record_.shortcut;
    if (link.empty() || !platform::Attributes(link)) return;
    if (!LinkPointsInto(link, dir_)) {
      report_.steps.push_back("shortcut " + link + " no longer points into " + dir_ + ": left");
    } else if (DeletePlainFile(link)) {
      report_.steps.push_back("removed shortcut " + link);
      platform::NotifyDesktopChanged();
    } else {
      report_.left.push_back(LeftLine(link));
    }
  }

  void RemoveEntry() {
    const std::optional<platform::RegistryValues> values = platform::ReadUserRegistryKey(kUninstallKey);
    if (!values) return;
    const platform::RegistryValue* location = platform::FindRegistryValue(*values, "InstallLocation");
    if (!location || platform::UpperUtf8(location->text) != platform::UpperUtf8(dir_)) {
      report_.steps.push_back("registry entry " + UserKeyName(kUninstallKey) + " names another installation: left");
    } else if (platform::DeleteUserRegistryKey(kUninstallKey)) {
      report_.steps.push_back("removed registry entry " + UserKeyName(kUninstallKey));
    } else {
      report_.left.push_back(UserKeyName(kUninstallKey) + " - " + messages::SysErrorText(platform::LastError()));
    }
  }

  void RemoveOwn(const char* name) {
    const std::string path = dir_ + "\\" + name;
    if (platform::Attributes(path) && !DeletePlainFile(path)) report_.left.push_back(LeftLine(path));
  }

  // The uninstaller: when it is the program running, the system may refuse to delete it while it
  // runs; the platform then moves it out of the way.
  void RemoveOwnProgram() {
    const std::string path = dir_ + "\\" + kUninstallProgramName;
    if (!platform::Attributes(path) || DeletePlainFile(path)) return;
    const bool running = platform::UpperUtf8(platform::ProgramPath()) == platform::UpperUtf8(path);
    if (running && platform::RemoveOwnProgramFile()) {
      report_.steps.push_back("moved the running " + std::string(kUninstallProgramName) + " out of " + dir_);
      return;
    }
    report_.left.push_back(LeftLine(path));
  }

  void RemoveFolders() {
    std::vector<std::string> folders = record_.folders;
    std::stable_sort(folders.begin(), folders.end(),
                     [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
    std::set<std::string> ours;  // upper-cased relative folders of the installation
    for (const std::string& folder : folders) ours.insert(platform::UpperUtf8(folder));
    size_t removed = 0;
    for (const std::string& relative : folders) {
      if (RemoveIfEmpty(dir_ + "\\" + relative, relative, ours)) ++removed;
    }
    report_.steps.push_back("removed " + std::to_string(removed) + " of " + std::to_string(folders.size()) +
                            " installed folders");
    if (RemoveIfEmpty(dir_, "", ours)) report_.steps.push_back("removed folder " + dir_);
  }

  // Removes `path` when empty; otherwise names it among the kept folders when it directly holds
  // something the installation did not make.
  bool RemoveIfEmpty(const std::string& path, const std::string& relative, const std::set<std::string>& ours) {
    const auto attributes = platform::Attributes(path);
    if (!attributes || IsLink(*attributes)) return false;
    if (platform::RemoveFolder(path)) return true;
    const auto entries = platform::ListFolder(path, "*");
    if (!entries) return false;
    for (const platform::FolderEntry& entry : *entries) {
      if (entry.name == "." || entry.name == "..") continue;
      const std::string child = relative.empty() ? entry.name : relative + "\\" + entry.name;
      const bool our_folder = (entry.attributes & platform::attr::kDirectory) && !IsLink(entry.attributes) &&
                              ours.contains(platform::UpperUtf8(child));
      if (!our_folder && !Installed(child)) {
        report_.kept_folders.push_back(path);
        report_.steps.push_back("left folder " + path + ": it holds files made after installing");
        break;
      }
    }
    return false;
  }

  // A file of the installation (one that could not be removed, or the uninstaller's own files).
  bool Installed(const std::string& relative) const { return installed_.contains(platform::UpperUtf8(relative)); }

  void RemoveParents() {
    for (auto it = record_.created_parents.rbegin(); it != record_.created_parents.rend(); ++it) {
      const auto attributes = platform::Attributes(*it);
      if (!attributes || IsLink(*attributes)) continue;
      if (platform::RemoveFolder(*it)) report_.steps.push_back("removed folder " + *it);
    }
  }

  const InstallRecord& record_;
  const std::string& dir_;
  UninstallReport& report_;
  std::set<std::string> installed_;  // upper-cased relative files, the uninstaller's own among them
};

}  // namespace

UninstallReport Uninstall(const std::string& install_dir) {
  const InstallRecord record = ReadInstallRecord(install_dir);
  UninstallReport report;
  Remover(record, report).Run();
  return report;
}

}  // namespace tlx::package
