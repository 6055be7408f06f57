// The payload of a distribution: a folder mirroring the installed tree (Base, Cfg, Doc, Exe, and Ukr
// and Rus with their working folders; folder names matched without regard to letter case), plus the
// optional description file. Reading it decides every stored file's group, folder, name, variant and
// order before anything is written:
//   group 0 takes the common folders, group 1 the Ukr tree, group 2 the Rus tree (the group decides
//   the target tree, so a file's place in the payload decides its group);
//   files come in the description's order first, the rest by folder number and then by name.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "package/volume_set.h"
#include "tools/tlxpack/install_buffer.h"

namespace tlx::tlxpack {

struct PayloadPlan {
  std::array<std::vector<InstallUnit>, package::kVolumeGroups> groups;
  uint64_t file_count = 0;  // stored files (an alternative counts once per variant)
  uint64_t byte_count = 0;
};

// Reads the payload folder `root` (a native path or a drive path). Throws std::runtime_error naming
// the path and the fault: a folder or file outside the tables, a subfolder of a working folder, a
// name the installer would refuse or that code page 1251 cannot hold, two names differing only in
// letter case, a description entry that names no payload file, a variant that cannot hold (LPD
// files belong to variant 1), a file holding only "@", a missing source of the reference copies.
PayloadPlan ReadPayload(const std::string& root);

// Why `name` (UTF-8) cannot be a stored file's name, or empty when it can: what the installer
// refuses, a blank (the manifest line takes it for the start of a variant tag), no code page 1251 form,
// the name "@" (its record would read as the end marker).
std::string PayloadNameProblem(const std::string& name);

}  // namespace tlx::tlxpack
