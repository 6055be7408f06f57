#include "tools/tlxpack/scratch_folder.h"

#include <filesystem>
#include <mutex>
#include <random>
#include <set>
#include <stdexcept>

#include "package/clear_folder.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "tools/tlxpack/paths.h"

namespace tlx::tlxpack {

namespace {

// The working folders that exist now. The interrupt's cleanup holds the lock until the process ends,
// so a destructor running meanwhile waits instead of racing it.
std::mutex& LiveMutex() {
  static std::mutex mutex;
  return mutex;
}
std::set<std::string>& LiveFolders() {
  static std::set<std::string> folders;
  return folders;
}

void Remove(const std::string& path) {
  // Another thread may still be writing into the folder while an interrupt removes it: a file made
  // after one pass goes in the next.
  for (int pass = 0; pass < 10 && platform::FolderExists(path); ++pass) {
    package::ClearFolder(path);
    platform::RemoveFolder(path);
  }
}

}  // namespace

ScratchFolder::ScratchFolder() {
  std::error_code error;
  const std::u8string temp = std::filesystem::temp_directory_path(error).u8string();
  if (error) throw std::runtime_error("no temporary folder: " + error.message());
  std::string base(temp.begin(), temp.end());
  while (!base.empty() && (base.back() == '/' || base.back() == '\\')) base.pop_back();
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = base + "/tlxpack-" + std::to_string(random() % 100000000u);
    std::lock_guard lock(LiveMutex());
    if (platform::CreateFolder(candidate)) {
      path_ = candidate;
      LiveFolders().insert(path_);
      return;
    }
  }
  throw std::runtime_error("no working folder can be made in " + base);
}

ScratchFolder::~ScratchFolder() {
  {
    std::lock_guard lock(LiveMutex());
    LiveFolders().erase(path_);
  }
  Remove(path_);
}

std::string ScratchFolder::Path(const std::string& name) const { return JoinPath(path_, name); }

void RemoveScratchFoldersOnInterrupt() {
  platform::OnInterrupt([] {
    LiveMutex().lock();  // never unlocked: the process ends after this
    for (const std::string& path : LiveFolders()) Remove(path);
  });
}

}  // namespace tlx::tlxpack
