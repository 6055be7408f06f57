#include "package/clear_folder.h"

#include <vector>

#include "package/folder_list.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace tlx::package {

void ClearFolder(const std::string& folder, const std::string& keep) {
  const std::string base = WithBackslash(folder);
  const std::string kept = platform::UpperUtf8(keep);
  std::vector<SSDir> entries;
  ListFolder(base, "*.*", kSelectFolders, entries);
  for (const SSDir& entry : entries) {
    if (entry.name == "." || entry.name == "..") continue;
    if (!kept.empty() && platform::UpperUtf8(entry.name) == kept) continue;
    const std::string path = base + entry.name;
    const bool link = (entry.attributes & platform::attr::kReparsePoint) != 0;
    if (entry.attributes & platform::attr::kDirectory) {
      if (!link) ClearFolder(path);
      platform::RemoveFolder(path);  // a link goes as a link
    } else {
      platform::DeleteFile(path);
    }
  }
}

}  // namespace tlx::package
