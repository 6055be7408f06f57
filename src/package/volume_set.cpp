#include "package/volume_set.h"

#include <algorithm>

#include "messages/zerror.h"
#include "package/volume_checksum.h"
#include "platform/fs.h"
#include "platform/file.h"
#include "platform/error.h"
#include "platform/sha256.h"
#include "store/sfile.h"

namespace tlx::package {
namespace {

constexpr size_t kHeaderSize = 4 * 2 * kVolumeGroups;
constexpr size_t kRecordSize = 8;
constexpr uint32_t kReadBlock = 1u << 20;  // volumes are checksummed in blocks, never held whole

uint32_t Load32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

[[noreturn]] void RaiseDamagedTable(const std::string& path) {
  messages::RaiseMsg("Файл " + path + " - Ошибки при чтении", messages::kMsgFinalText);
}

}  // namespace

std::string SetupFolderOf(const std::string& program_folder) {
  std::string folder = program_folder;
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  folder += "Setup";
  if (!platform::FolderExists(folder)) {
    messages::RaiseMsg("Отсутствует директория Setup", messages::kMsgFinalText);
  }
  platform::SetCurrentFolder(folder);
  return folder + '\\';
}

std::string SetupFolder() { return SetupFolderOf(platform::ProgramFolder()); }

std::string VolumeName(int32_t number) {
  std::string digits = std::to_string(number);
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
  return kVolumePrefix + digits;
}

VolumeSet::VolumeSet(VolumeProgress& progress, const std::string& program_folder)
    : progress_(progress), program_folder_(program_folder), folder_(SetupFolderOf(program_folder)) {
  const std::string path = folder_ + kChecksumTableName;
  table_ = std::make_unique<store::SFile>(path, store::kSFileRead);
  uint8_t header[kHeaderSize];
  if (table_->Read(header, sizeof header) != sizeof header) RaiseDamagedTable(path);
  for (int group = 0; group < kVolumeGroups; ++group) {
    VolumeRange& range = ranges_[group];
    range.first = static_cast<int32_t>(Load32(header + 8 * group));
    range.last = static_cast<int32_t>(Load32(header + 8 * group + 4));
    // An empty group is legal whatever its numbers; a real one must name three-digit volumes.
    if (!range.empty() && (range.first < 0 || range.last > kLastVolumeNumber)) RaiseDamagedTable(path);
  }
  digests_ = LoadSha256Sums(folder_);
  if (digests_) {
    const platform::Sha256Digest* expected = FindDigest(*digests_, kChecksumTableName);
    if (expected == nullptr || FileSha256(path) != *expected) RaiseDamagedTable(path);
  }
}

VolumeSet::~VolumeSet() = default;

void VolumeSet::ResetVolumeProgress() {
  // An empty group's numbers are no volume numbers: whatever they are, the bar has nothing to count.
  tens_max_ = ranges_[2].empty() ? 0 : ranges_[2].last / 10;
  tens_ = 0;
  unit_count_ = 0;
  progress_.ResetVolumeBars(tens_max_);
}

void VolumeSet::StepVolumeProgress(const std::string& volume) {
  if (++unit_count_ == 10) {
    unit_count_ = 0;
    tens_ = std::min(tens_ + 1, tens_max_);  // a full tens bar stays full
  }
  progress_.ShowVolumeBars(volume, tens_, unit_count_);
}

void VolumeSet::Fail(std::string line) {
  error_lines_.push_back(std::move(line));
  ++failed_volumes_;
}

std::vector<VolumeToCheck> VolumeSet::GroupVolumes(int group) {
  folder_ = SetupFolderOf(program_folder_);
  const VolumeRange range = ranges_[group];
  std::vector<VolumeToCheck> volumes;
  if (range.empty()) return volumes;  // consumes no records
  volumes.reserve(static_cast<size_t>(range.count()));
  for (int32_t number = range.first; number <= range.last; ++number) {
    VolumeToCheck volume;
    uint8_t record[kRecordSize];
    volume.has_record = table_->Read(record, sizeof record) == sizeof record;
    volume.name = VolumeName(number);
    volume.path = folder_ + volume.name;
    if (volume.has_record) {
      volume.lo = Load32(record);
      volume.hi = Load32(record + 4);
    }
    if (digests_) {
      const platform::Sha256Digest* expected = FindDigest(*digests_, volume.name);
      if (expected == nullptr) {
        volume.has_record = false;
      } else {
        volume.digest = *expected;
      }
    }
    volumes.push_back(std::move(volume));
  }
  return volumes;
}

void VolumeSet::Record(const VolumeToCheck& volume, VolumeState state) {
  StepVolumeProgress(volume.name);
  switch (state) {
    case VolumeState::kGood:
      break;
    case VolumeState::kMissing:
      Fail("Файл " + volume.name + " - отсутствует");
      break;
    case VolumeState::kNoChecksum:
      Fail("Файл " + volume.name + " - нет контрольной суммы");
      break;
    case VolumeState::kDamaged:
      Fail("Файл " + volume.name + " - Ошибки при чтении");
      break;
  }
}

void VolumeSet::CheckGroupVolumes(int group, const std::function<void(const std::string& path)>& onVerified) {
  for (const VolumeToCheck& volume : GroupVolumes(group)) {
    const VolumeState state = CheckVolumeFile(volume);
    Record(volume, state);
    if (state == VolumeState::kGood) onVerified(volume.path);
  }
}

VolumeState CheckVolumeFile(const VolumeToCheck& volume, std::vector<uint8_t>* keep, size_t keep_limit) {
  if (!platform::FileExists(volume.path)) return VolumeState::kMissing;
  if (!volume.has_record) return VolumeState::kNoChecksum;
  VolumeChecksumStream checksum;
  platform::Sha256 digest;
  if (volume.digest && !digest.valid()) {
    messages::RaiseMsg("SHA-256 недоступен в этой системе", messages::kMsgFinalText);
  }
  platform::File file = platform::File::Open(volume.path, {platform::Access::Read, platform::kShareRead,
                                                           platform::Disposition::OpenExisting, true});
  if (!file.valid()) {
    const uint32_t error = platform::LastError();
    if (error == platform::err::kFileNotFound || error == platform::err::kPathNotFound) {
      messages::RaiseMsg(volume.path, store::kMsgFileMissing);
    }
    messages::RaiseSysError(volume.path);
  }
  std::vector<uint8_t> block(kReadBlock);
  bool keeping = keep != nullptr;  // the volume's bytes go on into *keep while it stays small enough
  if (keeping) keep->clear();
  while (true) {
    uint32_t done = 0;
    if (!file.Read(block.data(), kReadBlock, &done)) messages::RaiseSysError(volume.path);
    if (done == 0) break;
    checksum.Update(block.data(), done);
    if (volume.digest) digest.Update({block.data(), done});
    if (keeping && keep->size() + done <= keep_limit) {
      keep->insert(keep->end(), block.data(), block.data() + done);
    } else if (keeping) {
      keeping = false;
      std::vector<uint8_t>().swap(*keep);
    }
  }
  uint32_t lo = 0;
  uint32_t hi = 0;
  checksum.AddTo(&lo, &hi);
  const bool digest_holds = !volume.digest || digest.Finish() == *volume.digest;
  return lo == volume.lo && hi == volume.hi && digest_holds ? VolumeState::kGood : VolumeState::kDamaged;
}

}  // namespace tlx::package
