// `tlxpack verify` and `tlxpack list`: the distribution read as the installer would read it, without
// installing it, through the package's check of a medium (the one setup.exe /VERIFY runs): every
// volume against `kssum` and SHA256SUMS, every volume unpacked and cut into its blocks, each group's
// install buffer opened as a compound file, its manifest checked and every logical file walked.
// Problems are collected with the volume or manifest line they concern.
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
  std::string where;  // "Setup", "TlxStp5_320.004", "группа 1", ...
  std::string what;   // the installer's line, naming it: "Файл TlxStp5_320.004 - Ошибки при чтении"
};

struct Inspection {
  std::vector<ListedFile> files;
  std::vector<Problem> problems;
  uint32_t volumes = 0;  // volumes named by kssum
  bool digests = false;  // SHA256SUMS was there and checked
};

// Reads the distribution in `distribution` (the folder holding Setup). Never throws for a fault of
// the distribution; only a failure of the machine (no temporary folder) escapes.
Inspection InspectDistribution(const std::string& distribution);

// One line per stored file: group, logical file, folder, name, variant ("all", "0", "1"), size.
std::string ListingText(const Inspection& inspection);

// One line per problem, then a closing line with the counts.
std::string VerifyReport(const Inspection& inspection, const std::string& distribution);

}  // namespace tlx::tlxpack
