// Paths as the builder handles them: native ("/srv/payload"), drive ("c:\payload") or relative,
// joined with "/" (which both systems accept) unless the folder already ends in a separator.
#pragma once
#include <string>

namespace tlx::tlxpack {

std::string JoinPath(const std::string& folder, const std::string& name);
// The part after the last separator.
std::string FileNameOf(const std::string& path);
// `path` made absolute against the current folder (absolute, drive and server paths stay).
std::string AbsolutePath(const std::string& path);

}  // namespace tlx::tlxpack
