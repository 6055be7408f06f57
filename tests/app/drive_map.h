// Drive maps for the wizard's tests: fixed, removable, CD, network and medium-less drives with chosen
// free space, set through the POSIX platform's configuration. On Windows the real drives answer and
// tests that need a map skip.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/config.h"

namespace tlx::test {

class DriveMap {
 public:
  DriveMap() : saved_(platform::CurrentConfig()) {}
  ~DriveMap() { platform::Configure(saved_); }
  DriveMap(const DriveMap&) = delete;
  DriveMap& operator=(const DriveMap&) = delete;

  // Sets (or adds) drive `letter`; `folder` empty keeps the folder it has. False where the system
  // answers for its drives.
  bool Set(char letter, platform::DriveType type, std::optional<uint64_t> free, bool has_medium = true,
           const std::string& folder = "") {
    platform::PlatformConfig config = platform::CurrentConfig();
    platform::DriveConfig* drive = nullptr;
    for (auto& d : config.drives)
      if (d.letter == letter) drive = &d;
    if (drive == nullptr) {
      config.drives.push_back({});
      drive = &config.drives.back();
      drive->letter = letter;
    }
    if (!folder.empty()) drive->folder = folder;
    drive->type = type;
    drive->free_bytes = free;
    drive->has_medium = has_medium;
    return platform::Configure(config);
  }
  // Leaves only the drives for which `keep` is true.
  template <typename Keep>
  bool KeepOnly(Keep keep) {
    platform::PlatformConfig config = platform::CurrentConfig();
    std::erase_if(config.drives, [&](const platform::DriveConfig& d) { return !keep(d); });
    return platform::Configure(config);
  }

 private:
  platform::PlatformConfig saved_;
};

}  // namespace tlx::test
