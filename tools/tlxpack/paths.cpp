#include "tools/tlxpack/paths.h"

#include "platform/fs.h"

namespace tlx::tlxpack {

namespace {
bool IsSeparator(char c) { return c == '/' || c == '\\'; }
}  // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder.empty() || IsSeparator(folder.back()) ? folder + name : folder + "/" + name;
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string AbsolutePath(const std::string& path) {
  const bool drive = path.size() >= 2 && path[1] == ':';
  if (path.empty() || IsSeparator(path[0]) || drive) return path;
  return JoinPath(platform::CurrentFolder(), path);
}

}  // namespace tlx::tlxpack
