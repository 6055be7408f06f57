// Fuzz support: the input bytes as a file on drive z:, which maps to a private temporary folder.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/config.h"

namespace tlx::fuzz {

// Writes the input to z:\input.dat and returns that name.
inline std::string InputFile(const uint8_t* data, size_t size) {
  static const std::string folder = [] {
    const std::string dir = "/tmp/tlx-fuzz-" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    platform::PlatformConfig config = platform::CurrentConfig();
    platform::DriveConfig drive;
    drive.letter = 'z';
    drive.folder = dir;
    config.drives.push_back(drive);
    platform::Configure(config);
    return dir;
  }();
  std::ofstream(folder + "/input.dat", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return "z:\\input.dat";
}

}  // namespace tlx::fuzz
