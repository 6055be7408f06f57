// Removing what an installation wrote, never through a symbolic link or junction: a link is not
// something the installation makes, so it stays where it is and what it points to is not touched.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace tlx::package {

// What a removal took away.
struct RemovalCount {
  size_t files = 0;
  size_t folders = 0;
};

// "<path> - <the system's text of the last error>": a line naming what could not be removed.
std::string LeftLine(const std::string& path);

// Deletes the plain file `path`, clearing its read-only attribute first. False (LastError set)
// when it cannot, when `path` is a folder, or when it is a link (LastError 5, the link stays).
bool DeletePlainFile(const std::string& path);

// Removes every plain file and plain folder below `folder`, read-only files included; `folder`
// stays, and so does a top-level entry named `keep` (letter case aside; empty: none). A link or
// junction is left with the folders that hold it; each entry that stays is named in `left`.
// A `folder` that is itself a link is left whole.
RemovalCount RemoveFolderContent(const std::string& folder, std::vector<std::string>& left,
                                 const std::string& keep = {});

}  // namespace tlx::package
