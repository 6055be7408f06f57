// `tlxpack verify` and `tlxpack list`: reads a distribution as the installer would, without
// installing it: every volume against `kssum`, every volume unpacked and cut into its blocks, each
// group's install buffer opened as a compound file, its manifest parsed and every logical file
// walked. Problems are collected with the volume or manifest line they concern.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tlx::tlxpack {

struct ListedFile {
  int group = 0;
  uint32_t logical = 0;
  uint32_t folder = 0;
  std::string folder_path;          // "\Cfg", "\Rus\LBN"
  std::string name;                 // UTF-8
  std::optional<int32_t> variant;   // none: every variant
  uint64_t size = 0;
};

struct Problem {
  std::string where;  // "kssum", "TlxStp5_320.004", "group 1, manifest line 3", ...
  std::string what;
};

struct Inspection {
  std::vector<ListedFile> files;
  std::vector<Problem> problems;
  uint32_t volumes = 0;  // volumes named by kssum
};

// Reads the distribution in `distribution` (the folder holding Setup). Never throws for a fault of
// the distribution; only a failure of the machine (no temporary folder) escapes.
Inspection InspectDistribution(const std::string& distribution);

// One line per stored file: group, logical file, folder, name, variant ("all", "0", "1"), size.
std::string ListingText(const Inspection& inspection);

// One line per problem, then a closing line with the counts.
std::string VerifyReport(const Inspection& inspection, const std::string& distribution);

}  // namespace tlx::tlxpack
