// The space an installation of a distribution needs, measured rather than guessed: the distribution
// is installed for real, with the measuring mode on, into a working folder, once per installation
// variant; the larger peak size of the installation folder is the requirement (the install buffer
// and the unpacked volume that lie there during the step included).
#pragma once
#include <cstdint>
#include <string>

namespace tlx::tlxpack {

// Installs the distribution in `distribution` (the folder holding Setup; an absolute path) below
// `work_folder` for both variants and returns the larger peak; the current folder is kept. With
// `jobs` >= 2 and a `measuring_program` (a tlxpack executable), the two installations run side by
// side, each as `measuring_program install DIST FOLDER --variant N --measure` (the install step
// works with process-wide state: current folder, drive map); otherwise one after the other in this
// process. The result is the same either way. Throws std::runtime_error listing the bad volumes
// when an installation fails, and passes on the install step's ZErrors (in this process) or names
// what the measuring program said.
uint64_t MeasureRequiredSpace(const std::string& distribution, const std::string& work_folder, unsigned jobs = 1,
                              const std::string& measuring_program = {});

}  // namespace tlx::tlxpack
