#include "package/folder_list.h"

#include "platform/fs.h"

namespace tlx::package {

namespace {

namespace attr = platform::attr;

bool IsDotEntry(const std::string& name) { return name == "." || name == ".."; }

}  // namespace

std::string WithBackslash(std::string folder) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

size_t ListFolder(const std::string& folder, const std::string& mask, uint32_t selection,
                  std::vector<SSDir>& list) {
  list.clear();
  const uint32_t excluded = ~selection & (attr::kHidden | attr::kSystem | attr::kDirectory);
  const auto entries = platform::ListFolder(folder, mask);
  if (!entries) return 0;
  for (const platform::FolderEntry& entry : *entries) {
    if ((entry.attributes & excluded) == 0) list.push_back({entry.attributes, entry.name});
  }
  return list.size();
}

size_t ListFiles(const std::string& folder, const std::string& mask, std::vector<std::string>& names) {
  names.clear();
  std::vector<SSDir> entries;
  ListFolder(folder, mask, kSelectFiles, entries);
  for (SSDir& entry : entries) names.push_back(std::move(entry.name));
  return names.size();
}

void ListSubfolders(const std::string& folder, std::vector<std::string>& folders) {
  folders.push_back(folder);
  std::vector<SSDir> entries;
  ListFolder(folder, "*.*", kSelectFolders, entries);
  for (const SSDir& entry : entries) {
    if (!(entry.attributes & attr::kDirectory) || IsDotEntry(entry.name)) continue;
    if (entry.attributes & attr::kReparsePoint) continue;  // a link may lead anywhere, even back up
    ListSubfolders(folder + entry.name + "\\", folders);
  }
}

size_t ListFilesDeep(const std::string& folder, const std::string& mask, std::vector<std::string>& paths,
                     bool append) {
  if (!append) paths.clear();
  std::vector<std::string> folders;
  ListSubfolders(folder, folders);
  size_t count = 0;
  std::vector<std::string> names;
  for (const std::string& sub : folders) {
    ListFiles(sub, mask, names);
    for (const std::string& name : names) paths.push_back(sub + name);
    count += names.size();
  }
  return count;
}

}  // namespace tlx::package
