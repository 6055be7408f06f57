// Fuzzes the checksum table `kssum` and the verification of each volume group against it. The
// distribution folder of a temporary drive holds a fixed set of small volumes; the input is the table.
// Every volume of every non-empty range is looked at once, in order, against the next record; it is
// handed on exactly when it exists, has a record and the record is its checksum.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_distribution.h"
#include "messages/zerror.h"
#include "package/volume_set.h"
#include "platform/fs.h"
#include "support/temp_drive.h"

namespace {

using namespace tlx::package;
using tlx::fuzz::Require;

class CheckedBars final : public VolumeProgress {
 public:
  void ResetVolumeBars(int tens_max) override {
    Require(tens_max >= 0 && tens_max <= 99, "tens bar maximum");
    tens_max_ = tens_max;
  }
  void ShowVolumeBars(const std::string&, int tens, int units) override {
    Require(tens >= 0 && tens <= tens_max_ && units >= 0 && units <= 9, "volume bars out of range");
    ++steps;
  }
  int steps = 0;

 private:
  int tens_max_ = -1;
};

uint32_t Load32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

bool IsFixedVolume(int32_t number) {
  for (int32_t present : tlx::fuzz::kFuzzVolumes) {
    if (present == number) return true;
  }
  return false;
}

// Whether volume `number` verifies against the record at `record` of the table (past the end: none).
bool Verifies(int32_t number, const uint8_t* data, size_t size, size_t record) {
  if (!IsFixedVolume(number) || record + 8 > size) return false;
  const std::string bytes = tlx::fuzz::FixedVolume(number);
  uint32_t lo = 0;
  uint32_t hi = 0;
  VolumeChecksum(bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()), &lo, &hi);
  return lo == Load32(data + record) && hi == Load32(data + record + 4);
}

const tlx::test::TempDrive& Drive() {
  static const tlx::test::TempDrive drive('y');
  static const bool made = [] {
    std::filesystem::create_directories(drive.NativePath("Setup"));
    for (int32_t number : tlx::fuzz::kFuzzVolumes) {
      std::ofstream(drive.NativePath("Setup\\" + VolumeName(number)), std::ios::binary) << tlx::fuzz::FixedVolume(number);
    }
    return true;
  }();
  (void)made;
  return drive;
}

// The volume set makes the distribution folder current; libFuzzer's paths are relative to the
// folder it started in.
class KeepCurrentFolder {
 public:
  ~KeepCurrentFolder() { std::filesystem::current_path(folder_); }

 private:
  std::filesystem::path folder_ = std::filesystem::current_path();
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const KeepCurrentFolder keep;
  const tlx::test::TempDrive& drive = Drive();
  std::ofstream(drive.NativePath("Setup\\kssum"), std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  CheckedBars bars;
  std::optional<VolumeSet> set;
  try {
    set.emplace(bars, drive.root());
  } catch (const tlx::messages::ZError&) {
    return 0;  // a short table or a range outside 0..999
  }
  Require(size >= 24, "a table shorter than its header was read");

  set->ResetVolumeProgress();
  size_t record = 24;
  int looked_at = 0;
  uint32_t expected_failures = 0;
  for (int group = 0; group < kVolumeGroups; ++group) {
    const VolumeRange range = set->Range(group);
    Require(range.empty() || (range.first >= 0 && range.last <= kLastVolumeNumber), "range outside 0..999");
    std::vector<std::string> verified;
    set->CheckGroupVolumes(group, [&](const std::string& path) { verified.push_back(path); });
    std::vector<std::string> expected;
    for (int32_t number = range.first; !range.empty() && number <= range.last; ++number, record += 8) {
      ++looked_at;
      if (Verifies(number, data, size, record)) {
        expected.push_back(drive.Path("Setup\\" + VolumeName(number)));
      } else {
        ++expected_failures;
      }
    }
    Require(verified == expected, "the verified volumes differ from the table's records");
  }
  Require(bars.steps == looked_at, "a volume was looked at other than once");
  Require(set->FailedVolumes() == expected_failures, "failed volume count");
  Require(set->ErrorLines().size() == expected_failures, "error line count");
  return 0;
}
