#include "package/distribution_writer.h"

#include <algorithm>

#include "messages/zerror.h"
#include "package/lzma_volume.h"
#include "package/volume_checksum.h"
#include "package/volume_set.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "store/compound_builder.h"
#include "store/record_format.h"
#include "store/scramble.h"
#include "store/sfile.h"

namespace tlx::package {

namespace {

constexpr uint8_t kFirstRecord = 1;
constexpr uint8_t kFileData = 2;
constexpr uint8_t kEndOfStoredFile = 0;
constexpr char kEndOfStoredFileData[] = {'\0'};

[[noreturn]] void Raise(const std::string& text) { messages::RaiseMsg(text, messages::kMsgFinalText); }

std::string Cp1251(const std::string& utf8, const std::string& what) {
  auto bytes = platform::Utf8ToCp1251(utf8);
  if (!bytes) Raise("Файл " + what + " не может быть установлен: имя без формы в кодировке 1251");
  return *bytes;
}

// Data chunks of at most one record each; never a one-byte chunk after a longer file's first, since a
// live one-byte record "@" reads as the end marker.
void AddData(store::CompoundFileBuilder& builder, std::string_view data) {
  while (!data.empty()) {
    size_t take = std::min<size_t>(data.size(), store::MaxRecordLength);
    if (data.size() - take == 1) --take;
    builder.AddRecord(kFileData, data.substr(0, take));
    data.remove_prefix(take);
  }
}

// The bytes of `file.source` in data records as AddData cuts them, read one record at a time.
void AddSourceData(store::CompoundFileBuilder& builder, const StoredFile& file) {
  store::SFile in(file.source, store::kSFileRead);
  std::string record(store::MaxRecordLength, '\0');
  const auto changed = [&] { Raise("Файл " + file.source + " изменился во время сборки дистрибутива"); };
  for (uint64_t left = file.size; left > 0;) {
    size_t take = static_cast<size_t>(std::min<uint64_t>(left, store::MaxRecordLength));
    if (left - take == 1) --take;
    size_t got = 0;
    while (got < take) {
      const uint32_t now = in.Read(record.data() + got, static_cast<uint32_t>(take - got));
      if (now == 0) changed();
      got += now;
    }
    builder.AddRecord(kFileData, std::string_view(record.data(), take));
    left -= take;
  }
  char extra = 0;
  if (in.Read(&extra, 1) != 0) changed();
}

bool IsEndMarkerAlone(const StoredFile& file) {
  const std::string marker(1, static_cast<char>(store::kEndMarkerByte));
  if (file.source.empty()) return file.data == marker;
  if (file.size != 1) return false;
  store::SFile in(file.source, store::kSFileRead);
  char byte = 0;
  return in.Read(&byte, 1) == 1 && byte == marker[0];
}

void Put32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i));
}

}  // namespace

std::string ReadWholeFile(const std::string& path) {
  store::SFile file(path, store::kSFileRead);
  const int64_t size = file.Size();
  // Whole files are the small ones (volumes, lists, descriptions): one larger than a compound file
  // can address is refused before memory is taken for it.
  if (size > 0x7FFFFFFF) Raise("Файл " + path + " слишком велик: " + std::to_string(size) + " байт");
  std::string bytes(static_cast<size_t>(std::max<int64_t>(size, 0)), '\0');
  size_t got = 0;
  while (got < bytes.size()) {
    const uint32_t now = file.Read(bytes.data() + got, static_cast<uint32_t>(bytes.size() - got));
    if (now == 0) break;
    got += now;
  }
  bytes.resize(got);
  return bytes;
}

void WriteWholeFile(const std::string& path, std::string_view bytes) {
  store::SFile file(path, store::kSFileCreateReplace);
  file.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
  file.Close();
}

void WriteInstallBuffer(const std::string& path, int group, const std::vector<StoredFile>& files,
                        const std::function<void(const StoredFile&)>& on_stored) {
  uint32_t highest = 0;
  std::vector<std::string> lines;
  for (const StoredFile& file : files) {
    lines.push_back(Cp1251(FormatManifestLine(file.line, group), file.line.name));
    if (IsEndMarkerAlone(file)) {
      Raise("Файл " + file.line.name + " не может быть установлен: его единственный байт - \"@\"");
    }
    highest = std::max(highest, file.line.logical);
  }
  store::CompoundFileBuilder builder(path, highest + 1, static_cast<uint32_t>(group) + store::ScrambleOffset);
  builder.BeginLogical(0);
  for (const std::string& line : lines) builder.AddRecord(0, line);
  builder.EndLogical();
  for (uint32_t logical = 1; logical <= highest; ++logical) {
    std::string names;
    for (size_t i = 0; i < files.size(); ++i) {
      if (files[i].line.logical == logical) names += (names.empty() ? "" : "|") + lines[i].substr(4);
    }
    if (names.empty()) continue;  // stays empty
    if (names == std::string(1, static_cast<char>(store::kEndMarkerByte))) {
      Raise("Файл " + names + " не может быть установлен: его имя читается как конец логического файла");
    }
    builder.BeginLogical(logical);
    builder.AddRecord(kFirstRecord, names.substr(0, store::MaxRecordLength));
    for (const StoredFile& file : files) {
      if (file.line.logical != logical) continue;
      if (file.source.empty()) {
        AddData(builder, file.data);
      } else {
        AddSourceData(builder, file);
      }
      builder.AddRecord(kEndOfStoredFile, std::string_view(kEndOfStoredFileData, 1));
      if (on_stored) on_stored(file);
    }
    builder.EndLogical();
  }
  builder.Finish();
}

DistributionWriter::DistributionWriter(std::string setup_folder, std::string work_file)
    : setup_folder_(std::move(setup_folder)), work_file_(std::move(work_file)) {}

int32_t DistributionWriter::AddGroup(int group, int32_t first, const std::vector<std::string>& images) {
  if (group < next_group_ || group > 2) Raise("Группа томов " + std::to_string(group) + " не по порядку");
  const int32_t last = first + static_cast<int32_t>(images.size()) - 1;
  if (!images.empty() && (first < next_number_ || last > kLastVolumeNumber)) {
    Raise("Номера томов " + std::to_string(first) + ".." + std::to_string(last) + " недопустимы");
  }
  next_group_ = group + 1;
  if (images.empty()) return first;
  ranges_[group] = {first, last};
  int32_t number = first;
  for (const std::string& image : images) {
    WriteWholeFile(work_file_, image);
    const std::string volume = setup_folder_ + "\\" + VolumeName(number);
    const bool packed = PackFile(volume, work_file_, nullptr, 0) != 0;
    platform::DeleteFile(work_file_);
    if (!packed) Raise("Файл " + volume + " не упакован");
    const std::string bytes = ReadWholeFile(volume);
    uint32_t lo = 0, hi = 0;
    VolumeChecksum(bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()), &lo, &hi);
    checksums_.push_back({lo, hi});
    ++number;
  }
  next_number_ = number;
  return number;
}

std::string ChecksumTableBytes(const std::array<VolumeRange, kVolumeGroups>& ranges,
                               const std::vector<VolumeSum>& sums) {
  std::string table;
  for (const VolumeRange& range : ranges) {
    Put32(table, static_cast<uint32_t>(range.first));
    Put32(table, static_cast<uint32_t>(range.last));
  }
  for (const VolumeSum& sum : sums) {
    Put32(table, sum.lo);
    Put32(table, sum.hi);
  }
  return table;
}

void DistributionWriter::Finish() {
  WriteWholeFile(setup_folder_ + "\\" + kChecksumTableName, ChecksumTableBytes(ranges_, checksums_));
}

}  // namespace tlx::package
