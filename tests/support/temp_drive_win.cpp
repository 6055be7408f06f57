#include <windows.h>

#include <atomic>
#include <filesystem>

#include "support/temp_drive.h"

namespace tlx::test {

namespace {
std::atomic<int> counter{0};

std::string Utf8(const std::filesystem::path& p) {
  auto u8 = p.u8string();
  return std::string(u8.begin(), u8.end());
}
}  // namespace

TempDrive::TempDrive(char letter) : letter_(letter) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() /
                              ("tlx-" + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(++counter));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  native_ = Utf8(dir.make_preferred());
  root_ = native_;
}

TempDrive::~TempDrive() {
  std::error_code ec;
  auto dir = std::filesystem::path(std::u8string(native_.begin(), native_.end()));
  for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  std::filesystem::remove_all(dir, ec);
}

std::string TempDrive::Path(const std::string& relative) const { return root_ + "\\" + relative; }

std::string TempDrive::NativePath(const std::string& relative) const { return Path(relative); }

}  // namespace tlx::test
