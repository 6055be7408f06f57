#include "package/desktop_shortcut.h"

#include <algorithm>

#include "package/folder_list.h"
#include "package/upper_name.h"
#include "platform/fs.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace tlx::package {

namespace {

// The longest desktop folder the registry value may name, in characters (not UTF-8 bytes).
constexpr size_t kMaxDesktopPath = 260;
constexpr int kShowNormal = 5;
// Desktop folders below the Windows folder, tried in this order when the registry has none.
constexpr const char* kDesktopFallbacks[] = {"\\DESKTOP", "\\Рабочий стол"};

std::string FileNamePart(const std::string& path) {
  const size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string Upper(std::string text) {
  UpperName(text);
  return text;
}

}  // namespace

std::optional<std::string> DesktopFolder() {
  auto folder = platform::DesktopFolderFromRegistry();
  if (!folder || folder->empty() || platform::Utf8Length(*folder) > kMaxDesktopPath) return std::nullopt;
  return folder;
}

bool WriteShellLink(const std::string& target, const std::string& link_path, const std::string& description,
                    const std::string& working_folder) {
  const bool written =
      platform::WriteShellLink(link_path, {target, description, working_folder, kShowNormal});
  platform::NotifyDesktopChanged();
  return written;
}

std::optional<std::string> CreateDesktopShortcut(const std::string& target, const std::string& link_name,
                                                 const std::string& working_folder) {
  std::optional<std::string> desktop = DesktopFolder();
  if (!desktop) {
    const std::string windows = platform::WindowsFolder();
    for (const char* fallback : kDesktopFallbacks) {
      if (platform::FolderExists(windows + fallback)) {
        desktop = windows + fallback;
        break;
      }
    }
  }
  if (!desktop) return std::nullopt;
  const std::string link_path = *desktop + "\\" + link_name;
  if (!WriteShellLink(target, link_path, link_name, working_folder)) return std::nullopt;
  return link_path;
}

void FindDesktopShortcuts(std::vector<std::string>& working_folders, std::vector<std::string>& link_paths,
                          const std::string& program) {
  working_folders.clear();
  link_paths.clear();
  const auto desktop = DesktopFolder();
  if (!desktop) return;
  const std::string folder = WithBackslash(*desktop);
  std::vector<std::string> names;
  ListFiles(folder, "*.lnk", names);
  const std::string wanted = platform::UpperUtf8(program);
  for (const std::string& name : names) {
    const auto link = platform::ReadShellLink(folder + name);
    if (!link || platform::UpperUtf8(link->target).find(wanted) == std::string::npos) continue;
    working_folders.push_back(link->working_folder);
    link_paths.push_back(folder + name);
  }
}

std::string FreeShortcutName(const std::string& name, const std::vector<std::string>& link_paths) {
  std::vector<std::string> taken;
  for (const std::string& path : link_paths) taken.push_back(Upper(FileNamePart(path)));
  // Each taken name blocks at most one k, so the search ends within link_paths.size() + 1 steps.
  for (size_t k = 0;; ++k) {
    const std::string candidate = k == 0 ? name : name + "(" + std::to_string(k) + ")";
    if (std::find(taken.begin(), taken.end(), Upper(candidate + kLinkExtension)) == taken.end()) {
      return candidate;
    }
  }
}

std::optional<std::string> PlaceDesktopShortcut(const std::string& install_dir, const std::string& name) {
  std::vector<std::string> working_folders;
  std::vector<std::string> link_paths;
  FindDesktopShortcuts(working_folders, link_paths, kSuiteProgram);
  const std::string exe_folder = install_dir + kSuiteProgramFolder;
  const std::string own = platform::UpperUtf8(exe_folder);
  for (const std::string& folder : working_folders) {
    if (platform::UpperUtf8(folder) == own) return std::nullopt;
  }
  const std::string link_name = FreeShortcutName(name, link_paths) + kLinkExtension;
  return CreateDesktopShortcut(exe_folder + "\\" + kSuiteProgram, link_name, exe_folder);
}

}  // namespace tlx::package
