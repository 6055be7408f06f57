// The space an installation of a distribution needs: the distribution is installed for real into a
// working folder with the measuring mode on, once per installation variant, and the larger peak
// size of the installation folder is the requirement (install buffer and unpacked volume included).
#pragma once
#include <cstdint>
#include <string>

namespace tlx::tlxpack {

// Installs the distribution in `distribution` (its Setup folder) below `work_folder` for both
// variants and returns the larger peak. Throws std::runtime_error when an installation fails.
uint64_t MeasureRequiredSpace(const std::string& distribution, const std::string& work_folder);

}  // namespace tlx::tlxpack
