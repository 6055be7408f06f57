#include "app/dir_list.h"

#include <algorithm>
#include <cctype>

#include "platform/fs.h"

namespace tlx::app {
namespace {

constexpr uint32_t kFolderAttribute = 0x10;
constexpr uint32_t kHiddenOrSystem = 0x02 | 0x04;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::vector<DirListLine> DirListLines(const std::string& open, std::vector<std::string> children) {
  std::vector<DirListLine> lines;
  if (open.size() < 2) return lines;
  std::string root = open.substr(0, 2) + "\\";
  lines.push_back({root, 0, root});
  std::string path = root;
  std::string rest = open.size() > 3 ? open.substr(3) : std::string();
  int depth = 0;
  size_t start = 0;
  while (start < rest.size()) {
    size_t end = rest.find('\\', start);
    if (end == std::string::npos) end = rest.size();
    if (end > start) {
      const std::string name = rest.substr(start, end - start);
      path += (path.back() == '\\' ? "" : "\\") + name;
      lines.push_back({name, ++depth, path});
    }
    start = end + 1;
  }
  std::sort(children.begin(), children.end(),
            [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); });
  for (const std::string& name : children) {
    lines.push_back({name, depth + 1, path + (path.back() == '\\' ? "" : "\\") + name});
  }
  return lines;
}

std::vector<std::string> ChildFolders(const std::string& folder) {
  std::vector<std::string> names;
  std::string base = folder;
  if (base.empty() || base.back() != '\\') base += '\\';
  auto entries = platform::ListFolder(base, "*");
  if (!entries) return names;
  for (const platform::FolderEntry& e : *entries) {
    if ((e.attributes & kFolderAttribute) == 0 || (e.attributes & kHiddenOrSystem) != 0) continue;
    if (e.name == "." || e.name == "..") continue;
    names.push_back(e.name);
  }
  return names;
}

}  // namespace tlx::app
