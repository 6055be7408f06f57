// The distribution's volume set: the folder `Setup` beside the setup program, its checksum table `kssum`
// and the numbered volumes "TlxStp5_320.NNN" in three groups (0 common folders, 1 Ukrainian, 2 Russian).
// VolumeSet is the verification state of one install step: it reads the table, checks each group's
// volumes against it, lists the missing and damaged ones and hands the good ones on.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "package/sha256_sums.h"

namespace tlx::store {
class SFile;
}

namespace tlx::package {

inline constexpr char kVolumePrefix[] = "TlxStp5_320.";
inline constexpr char kChecksumTableName[] = "kssum";
inline constexpr int kVolumeGroups = 3;
inline constexpr int32_t kLastVolumeNumber = 999;

// The distribution folder of a program in `program_folder`: program_folder + "\Setup\". Makes it the
// current folder. Raises ZError 0 "Отсутствует директория Setup" when it does not exist.
std::string SetupFolderOf(const std::string& program_folder);
// The distribution folder of the running program (SetupFolderOf its own folder).
std::string SetupFolder();

// "TlxStp5_320." followed by `number` in three decimal digits, zero-filled (7 -> "TlxStp5_320.007").
std::string VolumeName(int32_t number);

// The volume bars of the progress panel: `Ten` (tens) and `One` (units), 0..10 each. The GUI, the
// command-line installer and tests each supply their own.
class VolumeProgress {
 public:
  virtual ~VolumeProgress() = default;
  // Before the first group: the tens bar's maximum, and every bar (the file bar too) back at 0.
  virtual void ResetVolumeBars(int tens_max) = 0;
  // After each volume is looked at: the bars' new positions. A window repaints and processes its
  // pending messages here, so that it stays alive between volumes.
  virtual void ShowVolumeBars(const std::string& volume, int tens, int units) = 0;
};

// One volume of a group as the table and SHA256SUMS describe it, before it is looked at.
struct VolumeToCheck {
  std::string name;  // "TlxStp5_320.004"
  std::string path;  // in the distribution folder
  bool has_record = false;  // the table has its checksum (and SHA256SUMS its digest, when there is one)
  uint32_t lo = 0;
  uint32_t hi = 0;
  std::optional<platform::Sha256Digest> digest;
};

// What looking at a volume found.
enum class VolumeState : uint8_t { kGood, kMissing, kNoChecksum, kDamaged };

// Looks at a volume: there, with a checksum, and matching it (and its digest). Reads the volume once
// in pieces of at most 1 MiB; when `keep` is set and the volume is no larger than `keep_limit`, its
// bytes stay in `*keep` so it need not be read again. Touches nothing but the volume, so several
// threads may look at volumes at once. A volume that exists but cannot be read raises the file
// layer's ZError naming it.
VolumeState CheckVolumeFile(const VolumeToCheck& volume, std::vector<uint8_t>* keep = nullptr,
                            size_t keep_limit = 0);

// First and last volume number of a group; last < first means an empty group.
struct VolumeRange {
  int32_t first = 0;
  int32_t last = -1;
  bool empty() const { return last < first; }
  int32_t count() const { return empty() ? 0 : last - first + 1; }
};

class VolumeSet {
 public:
  // Looks up the distribution folder of `program_folder`, opens its `kssum` for the whole step and
  // reads the three ranges; reads SHA256SUMS when the folder has one, and then checks `kssum`
  // against it. Raises ZError: the missing folder (SetupFolderOf), the file layer's error for a
  // missing or unreadable table, ZError 0 "Файл <path> - Ошибки при чтении" for a table shorter than
  // its header, a non-empty range outside 0..999, or a table that the list does not name or whose
  // SHA-256 differs, and LoadSha256Sums's errors. The progress view must outlive this.
  VolumeSet(VolumeProgress& progress, const std::string& program_folder);
  ~VolumeSet();
  VolumeSet(const VolumeSet&) = delete;
  VolumeSet& operator=(const VolumeSet&) = delete;

  const VolumeRange& Range(int group) const { return ranges_[group]; }
  // True when the distribution has SHA256SUMS, so every volume is held against it too.
  bool HasDigests() const { return digests_.has_value(); }

  // Before the first group: the tens bar runs to (last number of group 2) div 10, or 0 when group 2
  // is empty; all counters at 0.
  void ResetVolumeProgress();

  // Checks the volumes of `group` (0..2) in number order, each against the table's next record and,
  // when the distribution has SHA256SUMS, against its SHA-256 there (both from one reading): a missing
  // volume, one without a record (the table ends early, or the list does not name it) or one whose
  // checksum or digest differs is listed and counted; `onVerified` gets the full path of each good
  // volume before the next one is looked at.
  // A volume that exists but cannot be read raises the file layer's ZError.
  void CheckGroupVolumes(int group, const std::function<void(const std::string& path)>& onVerified);

  // The volumes of `group` (0..2) in number order with their table records, read in turn from the
  // table; the distribution folder becomes current. Nothing is shown or counted yet: each volume's
  // state goes to Record, in the same order, as it is taken.
  std::vector<VolumeToCheck> GroupVolumes(int group);
  // Advances the bars by `volume` and lists it when its state is not kGood.
  void Record(const VolumeToCheck& volume, VolumeState state);

  // Advances the volume bars by one volume.
  void StepVolumeProgress(const std::string& volume);

  // Volumes that failed so far in this step, and their lines for the error window, in volume order.
  uint32_t FailedVolumes() const { return failed_volumes_; }
  const std::vector<std::string>& ErrorLines() const { return error_lines_; }
  int UnitCount() const { return unit_count_; }

 private:
  void Fail(std::string line);

  VolumeProgress& progress_;
  std::string program_folder_;
  std::string folder_;  // the distribution folder, with a trailing backslash
  std::unique_ptr<store::SFile> table_;
  std::optional<std::vector<Sha256Entry>> digests_;  // SHA256SUMS, when the distribution has it
  std::array<VolumeRange, kVolumeGroups> ranges_{};
  uint32_t failed_volumes_ = 0;
  std::vector<std::string> error_lines_;
  int unit_count_ = 0;
  int tens_ = 0;
  int tens_max_ = 0;
};

}  // namespace tlx::package
