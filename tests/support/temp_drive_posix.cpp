#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>

#include "platform/config.h"
#include "support/temp_drive.h"

namespace tlx::test {

namespace {
std::atomic<int> counter{0};
}

TempDrive::TempDrive(char letter) : letter_(static_cast<char>(letter | 0x20)) {
  const char* base = std::getenv("TMPDIR");
  std::filesystem::path dir = std::filesystem::path(base ? base : "/tmp") /
                              ("tlx-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  native_ = dir.string();
  root_ = std::string(1, letter_) + ":";

  platform::PlatformConfig config = platform::CurrentConfig();
  std::erase_if(config.drives, [&](const platform::DriveConfig& d) { return d.letter == letter_; });
  platform::DriveConfig drive;
  drive.letter = letter_;
  drive.folder = native_;
  config.drives.push_back(drive);
  platform::Configure(config);
}

TempDrive::~TempDrive() {
  platform::PlatformConfig config = platform::CurrentConfig();
  std::erase_if(config.drives, [&](const platform::DriveConfig& d) { return d.letter == letter_; });
  platform::Configure(config);
  std::error_code ec;
  // Tests make read-only files; make the tree writable so it can go.
  for (auto it = std::filesystem::recursive_directory_iterator(native_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_symlink()) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    }
  }
  std::filesystem::remove_all(native_, ec);
}

std::string TempDrive::Path(const std::string& relative) const { return root_ + "\\" + relative; }

std::string TempDrive::NativePath(const std::string& relative) const {
  std::string out = native_ + "/";
  for (char c : relative) out += (c == '\\') ? '/' : c;
  return out;
}

}  // namespace tlx::test
