// Installing a distribution without windows, as the wizard's install step does it (folder tree,
// volumes checked and unpacked group by group, files extracted, reference copies): for measuring,
// for tests and for `tlxpack install`.
#pragma once
#include <string>
#include <vector>

#include "package/folder_size.h"

namespace tlx::tlxpack {

// Installs the distribution in `distribution` (the folder holding Setup, absolute) into
// `install_dir` (created when missing) for installation variant `variant`. A native POSIX folder is
// reached through a drive letter mapped onto it for the time of the call, so that names are found
// without regard to letter case as on Windows; the current folder is kept. `measure` (optional)
// gets the peak size. Returns the lines of missing or damaged volumes, empty on success; raises
// the install step's ZErrors.
std::vector<std::string> InstallDistribution(const std::string& distribution, const std::string& install_dir,
                                             int variant, package::SizeMeasure* measure);

}  // namespace tlx::tlxpack
