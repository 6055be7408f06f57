// Logical drives: which exist, their type, the space available to the user.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace tlx::platform {

// GetDriveType values.
enum class DriveType : uint32_t {
  Unknown = 0,
  NoRootDir = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6,
};

uint32_t LogicalDrives();                         // bit 0 = A:, bit 2 = C:, ...
DriveType GetDriveType(const std::string& root);  // "c:\" or "c:"
// Bytes available to the calling user on the drive holding `path`; nullopt when unknown
// (no medium, no drive; LastError set).
std::optional<uint64_t> FreeBytes(const std::string& path);

}  // namespace tlx::platform
