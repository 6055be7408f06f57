// Checking a distribution medium without installing from it (setup.exe and tlxsetup /VERIFY,
// tlxpack verify and list): every volume of every group checked as the install step checks it
// (`kssum`, and SHA256SUMS when the distribution has it), each verified volume unpacked and cut into
// its blocks, each group's install buffer opened as the compound file it is, its manifest read with
// the installer's own line and contradiction checks, and every logical file a line names walked.
// Each problem is reported in the installer's words with the volume or manifest line it concerns;
// all groups are checked, whatever an earlier one held. Nothing is installed: the only file written
// is the step's own transient one (one group's install buffer, under its installer name) in a folder
// of its own below the caller's working folder, removed on every path out.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "package/volume_set.h"

namespace tlx::store {
class SFile;
class WRec;
}  // namespace tlx::store

namespace tlx::package {

struct MediumProblem {
  std::string where;  // what it concerns: "Setup", a volume's name, "группа 1"
  std::string text;   // the line the error list shows: "Файл TlxStp5_320.004 - Ошибки при чтении"
};

// A stored file as the manifest names it.
struct MediumFile {
  int group = 0;
  uint32_t logical = 0;
  uint32_t folder = 0;
  std::string folder_path;         // "\Cfg", "\Rus\LBN"
  std::string name;                // UTF-8
  std::optional<int32_t> variant;  // none: every variant
  uint64_t size = 0;
};

struct MediumReport {
  std::vector<MediumProblem> problems;  // in the order found
  std::vector<MediumFile> files;        // of the groups whose buffer could be read
  uint32_t volumes = 0;                 // volumes `kssum` names
  bool digests = false;                 // SHA256SUMS was there, and every volume was held against it
  bool holds() const { return problems.empty(); }
};

// Checks the distribution of `start_dir` (the folder holding Setup). Transient files go into a new
// folder below `work_folder` (an existing folder). `progress` sees the volume bars as the install
// step moves them. Never raises for a fault of the medium; a failure of the working folder is
// reported as a problem too. The current folder is kept.
// Volumes are decoded on `threads` threads (0: DefaultDecodeThreads()); the report is the same.
MediumReport CheckMedium(const std::string& start_dir, const std::string& work_folder, VolumeProgress& progress,
                         unsigned threads = 0);

}  // namespace tlx::package
