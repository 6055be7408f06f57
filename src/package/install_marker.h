// The marker of an installation in progress: a small file in the installation folder, written
// before anything else and removed after everything else. A folder holding it exists only because
// an installation of this suite did not finish (a power cut, a killed process), so the next
// installation may take the folder over and empty it.
#pragma once
#include <string>

namespace tlx::package {

inline constexpr char kInstallMarkerName[] = "TlxSetup5_320.unfinished";

// Writes the marker into `install_dir`: the product code and "Version=" + the suite version on its
// first two lines, then a line for whoever opens it. Raises the file layer's ZError on failure.
void WriteInstallMarker(const std::string& install_dir);

// True when `folder` (not itself a link) holds a plain marker file (not a link) naming this
// product and version.
bool HoldsInstallMarker(const std::string& folder);

// Deletes the marker of `install_dir`; true when it is gone (also when it was not there).
bool RemoveInstallMarker(const std::string& install_dir);

}  // namespace tlx::package
