// What an installation of a payload must look like: the installed tree read back file by file, and
// the tree a payload must give for a variant (its files, the description's alternatives and
// variant-only files, and the reference copies). Shared by the tlxpack and unattended tests.
#pragma once
#include <array>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace tlx::test {

// A UTF-8 path as a filesystem path and back ("/" between parts).
std::filesystem::path FsPath(const std::string& utf8);
std::string Utf8(const std::filesystem::path& path);
// A table entry ("\\Rus", "\\1.bsr") as a path part behind "/".
std::string Part(std::string_view entry);

// Every file below `root`: upper-cased relative path ("/" between parts) -> bytes.
std::map<std::string, std::string> TreeFiles(const std::string& root);

// What the description of a payload says, as the expectation needs it.
struct Rules {
  std::map<std::string, std::array<std::string, 2>> alternatives;  // target -> sources (payload paths)
  std::set<std::string> variant_one;                              // payload paths of variant 1 only
};

// The rules of the sample payload (mksample).
Rules SampleRules();

// The installed tree a payload must give for `variant` (upper-cased relative paths -> bytes): every
// payload file at its own path except the description, the alternatives' sources, files of the
// other variant and LPD in variant 0; the alternatives' targets; and the reference copies.
std::map<std::string, std::string> ExpectedInstall(const std::string& payload, int variant, const Rules& rules);

}  // namespace tlx::test
