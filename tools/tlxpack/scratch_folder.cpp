#include "tools/tlxpack/scratch_folder.h"

#include <filesystem>
#include <random>
#include <stdexcept>

#include "package/clear_folder.h"
#include "platform/fs.h"
#include "tools/tlxpack/paths.h"

namespace tlx::tlxpack {

ScratchFolder::ScratchFolder() {
  std::error_code error;
  const std::u8string temp = std::filesystem::temp_directory_path(error).u8string();
  if (error) throw std::runtime_error("no temporary folder: " + error.message());
  std::string base(temp.begin(), temp.end());
  while (!base.empty() && (base.back() == '/' || base.back() == '\\')) base.pop_back();
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = base + "/tlxpack-" + std::to_string(random() % 100000000u);
    if (platform::CreateFolder(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("no working folder can be made in " + base);
}

ScratchFolder::~ScratchFolder() {
  package::ClearFolder(path_);
  platform::RemoveFolder(path_);
}

std::string ScratchFolder::Path(const std::string& name) const { return JoinPath(path_, name); }

}  // namespace tlx::tlxpack
