#include "app/drive_space.h"

#include "package/size_text.h"
#include "platform/drives.h"

namespace tlx::app {

std::string DriveRoot(char letter) { return std::string(1, letter) + ":\\"; }

bool DriveUsable(char letter) {
  const platform::DriveType type = platform::GetDriveType(DriveRoot(letter));
  return type == platform::DriveType::Removable || type == platform::DriveType::Fixed;
}

uint64_t DriveFree(char letter) {
  return platform::FreeBytes(DriveRoot(letter)).value_or(kUnknownFree);
}

std::string FreeSpaceText(uint64_t bytes) {
  if (bytes == kUnknownFree) return std::string(kFreeSpacePrefix) + kUnknownSizeText;
  return kFreeSpacePrefix + package::SizeText(static_cast<int64_t>(bytes));
}

std::string RequiredSpaceText(uint64_t bytes) {
  return kRequiredSpacePrefix + package::SizeText(static_cast<int64_t>(bytes));
}

}  // namespace tlx::app
