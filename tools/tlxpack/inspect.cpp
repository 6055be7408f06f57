#include "tools/tlxpack/inspect.h"

#include <cstdio>

#include "package/medium_check.h"
#include "tools/tlxpack/paths.h"
#include "tools/tlxpack/scratch_folder.h"

namespace tlx::tlxpack {

namespace {

// The volume bars of a check nobody watches.
class NoBars : public package::VolumeProgress {
 public:
  void ResetVolumeBars(int) override {}
  void ShowVolumeBars(const std::string&, int, int) override {}
};

}  // namespace

Inspection InspectDistribution(const std::string& distribution) {
  ScratchFolder scratch;
  NoBars bars;
  const package::MediumReport report = package::CheckMedium(AbsolutePath(distribution), scratch.path(), bars);
  Inspection inspection;
  inspection.volumes = report.volumes;
  inspection.digests = report.digests;
  for (const package::MediumProblem& problem : report.problems) inspection.problems.push_back({problem.where, problem.text});
  for (const package::MediumFile& file : report.files) {
    inspection.files.push_back({file.group, file.logical, file.folder, file.folder_path, file.name, file.variant, file.size});
  }
  return inspection;
}

std::string ListingText(const Inspection& inspection) {
  std::string text = "group logical folder          name                             variant       size\n";
  for (const ListedFile& file : inspection.files) {
    char line[512];
    std::snprintf(line, sizeof line, "%5d %7u %-15s %-32s %7s %10llu\n", file.group, file.logical,
                  file.folder_path.c_str(), file.name.c_str(),
                  file.variant ? std::to_string(*file.variant).c_str() : "all",
                  static_cast<unsigned long long>(file.size));
    text += line;
  }
  return text;
}

std::string VerifyReport(const Inspection& inspection, const std::string& distribution) {
  std::string text;
  for (const Problem& problem : inspection.problems) text += problem.what + "\n";
  text += distribution + ": " + std::to_string(inspection.volumes) + " volumes" +
          (inspection.digests ? " (kssum and SHA256SUMS)" : " (kssum; no SHA256SUMS)") + ", " +
          std::to_string(inspection.files.size()) + " files, " +
          (inspection.problems.empty() ? std::string("no problems")
                                       : std::to_string(inspection.problems.size()) + " problems") +
          "\n";
  return text;
}

}  // namespace tlx::tlxpack
