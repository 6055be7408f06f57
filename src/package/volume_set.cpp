#include "package/volume_set.h"

#include <algorithm>

#include "messages/zerror.h"
#include "package/volume_checksum.h"
#include "platform/fs.h"
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

void VolumeSet::CheckGroupVolumes(int group, const std::function<void(const std::string& path)>& onVerified) {
  folder_ = SetupFolderOf(program_folder_);
  const VolumeRange range = ranges_[group];
  if (range.empty()) return;  // consumes no records
  std::vector<uint8_t> block;
  for (int32_t number = range.first; number <= range.last; ++number) {
    uint8_t record[kRecordSize];
    const bool has_record = table_->Read(record, sizeof record) == sizeof record;
    const std::string name = VolumeName(number);
    StepVolumeProgress(name);
    const std::string path = folder_ + name;
    if (!platform::FileExists(path)) {
      Fail("Файл " + name + " - отсутствует");
      continue;
    }
    const platform::Sha256Digest* expected_digest = digests_ ? FindDigest(*digests_, name) : nullptr;
    if (!has_record || (digests_ && expected_digest == nullptr)) {
      Fail("Файл " + name + " - нет контрольной суммы");
      continue;
    }
    VolumeChecksumStream checksum;
    platform::Sha256 digest;
    if (expected_digest != nullptr && !digest.valid()) {
      messages::RaiseMsg("SHA-256 недоступен в этой системе", messages::kMsgFinalText);
    }
    {
      store::SFile volume(path, store::kSFileRead);
      block.resize(kReadBlock);
      while (const uint32_t done = volume.Read(block.data(), kReadBlock)) {
        checksum.Update(block.data(), done);
        if (expected_digest != nullptr) digest.Update({block.data(), done});
      }
    }
    uint32_t lo = 0;
    uint32_t hi = 0;
    checksum.AddTo(&lo, &hi);
    const bool digest_holds = expected_digest == nullptr || digest.Finish() == *expected_digest;
    if (lo == Load32(record) && hi == Load32(record + 4) && digest_holds) {
      onVerified(path);
    } else {
      Fail("Файл " + name + " - Ошибки при чтении");
    }
  }
}

}  // namespace tlx::package
