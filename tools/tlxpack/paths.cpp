#include "tools/tlxpack/paths.h"

#include <stdexcept>

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

void RequireRegularFile(const std::string& path, const std::string& role) {
  switch (platform::KindOf(path)) {
    case platform::FileKind::kRegular:
      return;
    case platform::FileKind::kMissing:
      throw std::runtime_error(path + ": " + role + " does not exist");
    case platform::FileKind::kFolder:
      throw std::runtime_error(path + ": " + role + " is a folder, not a file");
    case platform::FileKind::kSpecial:
      throw std::runtime_error(path + ": " + role + " is not a regular file (a device, FIFO or socket)");
  }
}

std::string AbsolutePath(const std::string& path) {
  const bool drive = path.size() >= 2 && path[1] == ':';
  if (path.empty() || IsSeparator(path[0]) || drive) return path;
  return JoinPath(platform::CurrentFolder(), path);
}

}  // namespace tlx::tlxpack
