// Folder listings of the installer: one folder by mask and attributes, plain files by mask, the
// folders of a tree depth first, and the plain files of a whole tree. Folders are Windows-style
// paths; a folder that cannot be read lists nothing. Links (symbolic links, junctions) to folders
// are listed as entries but never descended into, so a listing stays inside its tree and ends.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tlx::package {

// One directory entry: the platform's attribute bits (0x10 folder) and the name without path.
struct SSDir {
  uint32_t attributes = 0;
  std::string name;
};

// Attribute selection of ListFolder: plain entries are always listed; folders, hidden and system
// entries only when their bit is in the selection.
inline constexpr uint32_t kSelectFiles = 0x20;          // archive: plain files only
inline constexpr uint32_t kSelectFolders = 0x10 | 0x20;  // plain files and folders

// Fills `list` (cleared first) with the entries of `folder` (ending in a backslash) matching `mask`
// ("*.*", "*.lnk"...) whose hidden, system and folder bits are all in `selection`; "." and ".."
// included when they match. Returns the count.
size_t ListFolder(const std::string& folder, const std::string& mask, uint32_t selection,
                  std::vector<SSDir>& list);

// Fills `names` (cleared first) with the names of the plain files (not folders, not hidden or
// system) of `folder` (ending in a backslash) matching `mask`. Returns the count.
size_t ListFiles(const std::string& folder, const std::string& mask, std::vector<std::string>& names);

// Appends `folder` (ending in a backslash) and then, depth first, every folder below it, each with
// a trailing backslash. Linked folders are not entered.
void ListSubfolders(const std::string& folder, std::vector<std::string>& folders);

// Lists the full paths of the plain files matching `mask` in `folder` (ending in a backslash) and in
// every folder below it, folder by folder in ListSubfolders order; `paths` is cleared first unless
// `append`. Returns the number listed by this call.
size_t ListFilesDeep(const std::string& folder, const std::string& mask, std::vector<std::string>& paths,
                     bool append);

// `folder` with a trailing backslash added when missing.
std::string WithBackslash(std::string folder);

}  // namespace tlx::package
