// Paths as the builder handles them: native ("/srv/payload"), drive ("c:\payload") or relative,
// joined with "/" (which both systems accept) unless the folder already ends in a separator.
#pragma once
#include <string>

namespace tlx::tlxpack {

std::string JoinPath(const std::string& folder, const std::string& name);
// The part after the last separator.
std::string FileNameOf(const std::string& path);
// Refuses an input file named on the command line unless it is a regular file (a link to one is
// fine): throws std::runtime_error naming it and `role` ("the setup program") when it is missing, a
// folder, or a device, FIFO or socket (a FIFO would hold its reader, a device never ends).
void RequireRegularFile(const std::string& path, const std::string& role);
// `path` made absolute against the current folder (absolute, drive and server paths stay).
std::string AbsolutePath(const std::string& path);

}  // namespace tlx::tlxpack
