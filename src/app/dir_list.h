// The folder list of the drive-and-folder picker: the open folder's ancestors from the drive's
// root down, then the folders inside it, each line with its indent and the folder it opens.
#pragma once
#include <string>
#include <vector>

namespace tlx::app {

struct DirListLine {
  std::string text;    // "c:\" for the root, else the folder's name
  int indent = 0;      // nesting depth below the root
  std::string folder;  // the folder a double click opens ("c:\", "c:\Programs")
};

// The lines for the open folder `open` ("c:\" or "c:\a\b", with or without a trailing backslash);
// `children` are the names of the folders inside it, shown sorted without regard to letter case.
std::vector<DirListLine> DirListLines(const std::string& open, std::vector<std::string> children);


// The names of the folders inside `folder`, without "." and "..", hidden and system folders.
std::vector<std::string> ChildFolders(const std::string& folder);

}  // namespace tlx::app
