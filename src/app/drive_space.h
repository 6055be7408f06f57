// What the install-directory step asks of a drive: whether it can take the installation, how much
// room it has, and the texts that show the free and the required space.
#pragma once
#include <cstdint>
#include <string>

namespace tlx::app {

inline constexpr char kFreeSpacePrefix[] = "Размер свободного пространства на диске ";
inline constexpr char kRequiredSpacePrefix[] = "Размер требуемого пространства на диске ";
// Free bytes reported when the system cannot say (a removable drive without a medium).
inline constexpr uint64_t kUnknownFree = ~uint64_t{0};

// "c:\" for 'c' or 'C' (the letter as given).
std::string DriveRoot(char letter);
// A drive can take the installation when the system reports its root as removable or fixed.
bool DriveUsable(char letter);
// Bytes available to the user on the drive, kUnknownFree when the system cannot say.
uint64_t DriveFree(char letter);
// Said instead of a size when the system cannot tell the free space.
inline constexpr char kUnknownSizeText[] = "неизвестен";
// The label texts: the prefix followed by SizeText of the byte count; free space that is
// kUnknownFree reads "неизвестен", never a size.
std::string FreeSpaceText(uint64_t bytes);
std::string RequiredSpaceText(uint64_t bytes);

}  // namespace tlx::app
