// The installed suite's folder tree below an installation folder, and the reference copies made
// into its \Etalon folders once the files are extracted.
#pragma once
#include <string>
#include <vector>

#include "package/file_written.h"

namespace tlx::package {

// Creates `path` with every missing parent folder, outermost first, and returns the folders it
// created in that order (empty when `path` existed). Stops at the first level that cannot be made.
std::vector<std::string> CreateFolderLevels(const std::string& path);

// Creates, each with its missing parents, the common folders and then for \Ukr and \Rus the working
// folders in table order; \LPD only for variant 1. A folder that cannot be created is passed over
// (a later file creation in it fails instead). `install_dir` has no trailing backslash. Raises the
// ZError of RequireNoLinksBelow, before any folder is made, when a folder of the tree would run
// through a link. `created` hears of each folder made.
void CreateFolderTree(const std::string& install_dir, int variant, const FolderCreatedFn& created = {});

// Copies, for \Ukr and then \Rus, the language's reference databases from \LBN and its user file from
// \UserNsi into its \Etalon, and for \Rus also the configuration files of the common \Cfg; copies
// replace existing files. Raises the file-copy ZError (system text, the two names joined by "=>") on
// the first failed copy, and the ZError of RequireNoLinksBelow when a source or target path runs
// through a link. `written` hears of each copy made.
void CopyReferenceFiles(const std::string& install_dir, const FileWrittenFn& written = {});

}  // namespace tlx::package
