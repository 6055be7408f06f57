// Emptying a folder before an installation uses it.
#pragma once
#include <string>

namespace tlx::package {

// Deletes everything below `folder` except hidden and system entries, passing over what cannot be
// deleted (a read-only file, a file in use) and going on. Subfolders are cleared and removed; a link
// to a folder or file is removed as a link and what it points to is left untouched. `folder` itself
// stays, and so does an entry directly in it named `keep` (letter case aside; empty: none). Never
// raises.
void ClearFolder(const std::string& folder, const std::string& keep = {});

}  // namespace tlx::package
