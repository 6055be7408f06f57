// The space an installation of a distribution needs, measured rather than guessed: the distribution
// is installed for real, with the measuring mode on, into a working folder, once per installation
// variant; the larger peak size of the installation folder is the requirement (the install buffer
// and the unpacked volume that lie there during the step included).
#pragma once
#include <cstdint>
#include <string>

namespace tlx::tlxpack {

// Installs the distribution in `distribution` (the folder holding Setup; an absolute path) below
// `work_folder` for both variants and returns the larger peak; the current folder is kept. Throws
// std::runtime_error listing the bad volumes when an installation fails, and passes on the install
// step's ZErrors.
uint64_t MeasureRequiredSpace(const std::string& distribution, const std::string& work_folder);

}  // namespace tlx::tlxpack
