// Sizes of installed folders: the total of a tree's plain files, and the measuring mode that keeps
// the largest size an installation folder reached (a distribution carries that as its space need).
#pragma once
#include <cstdint>
#include <string>

namespace tlx::package {

// Total size of the plain files in `folder` and below it; 0 for a missing folder. A file that
// cannot be opened without sharing (another program holds it) counts 0.
uint64_t FolderSize(const std::string& folder);

// The measuring state of one run: whether the run measures, and the largest size seen so far.
struct SizeMeasure {
  bool enabled = false;
  uint64_t PeakSize = 0;
};

// In measuring mode, measures `folder` and raises `measure.PeakSize` to its size when larger;
// otherwise does nothing.
void MeasureTarget(const std::string& folder, SizeMeasure& measure);

}  // namespace tlx::package
