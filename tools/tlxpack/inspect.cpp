#include "tools/tlxpack/paths.h"
#include "tools/tlxpack/inspect.h"

#include <algorithm>
#include <exception>

#include "package/distribution_writer.h"
#include "package/folder_tables.h"
#include "package/manifest_check.h"
#include "package/manifest_line.h"
#include "package/volume_blocks.h"
#include "package/volume_checksum.h"
#include "package/volume_container.h"
#include "package/volume_set.h"
#include "platform/text.h"
#include "store/record_format.h"
#include "store/scramble.h"
#include "store/wfile.h"
#include "store/wrec.h"
#include "tools/tlxpack/build.h"
#include "tools/tlxpack/error_text.h"
#include "tools/tlxpack/scratch_folder.h"

namespace tlx::tlxpack {

namespace {

constexpr size_t kTableHeaderSize = 8 * package::kVolumeGroups;
// An unpacked volume is refused above this size before any memory is taken for it.
constexpr uint64_t kMaxUnpackedVolume = 0x7FFFFFFF;

uint32_t Load32(const uint8_t* p) { return store::GetU32(p); }

// The whole file, or nullopt when it is missing or cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path) {
  try {
    return package::ReadWholeFile(path);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

class Inspector {
 public:
  Inspector(const std::string& distribution, Inspection& out)
      : setup_(JoinPath(distribution, kSetupFolderName)), out_(out) {}

  void Run() {
    if (!ReadTable()) return;
    size_t record = 0;
    for (int group = 0; group < package::kVolumeGroups; ++group) {
      std::string buffer;
      bool whole = true;
      for (int32_t n = ranges_[group].first; n <= ranges_[group].last; ++n, ++record) {
        whole = ReadVolume(n, record, buffer) && whole;
      }
      if (!whole) {
        Report("group " + std::to_string(group), "not read further: a volume of the group is bad");
        continue;
      }
      ReadBuffer(group, buffer);
    }
  }

 private:
  void Report(std::string where, std::string what) { out_.problems.push_back({std::move(where), std::move(what)}); }

  bool ReadTable() {
    std::optional<std::string> table = ReadWholeFile(JoinPath(setup_, package::kChecksumTableName));
    if (!table) {
      Report(package::kChecksumTableName, "missing or unreadable");
      return false;
    }
    table_ = std::move(*table);
    if (table_.size() < kTableHeaderSize) {
      Report(package::kChecksumTableName, "truncated: " + std::to_string(table_.size()) + " bytes, the header alone takes 24");
      return false;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(table_.data());
    int32_t previous_last = -1;
    for (int group = 0; group < package::kVolumeGroups; ++group) {
      package::VolumeRange& range = ranges_[group];
      range.first = static_cast<int32_t>(Load32(bytes + 8 * group));
      range.last = static_cast<int32_t>(Load32(bytes + 8 * group + 4));
      if (range.empty()) continue;
      if (range.first < 0 || range.last > package::kLastVolumeNumber) {
        Report(package::kChecksumTableName, "group " + std::to_string(group) + " names volumes " +
                                                std::to_string(range.first) + ".." + std::to_string(range.last) +
                                                ", outside 0..999");
        return false;
      }
      if (range.first <= previous_last) {
        Report(package::kChecksumTableName, "the volume numbers of group " + std::to_string(group) +
                                                " are not above those of the groups before it");
      }
      previous_last = range.last;
      out_.volumes += static_cast<uint32_t>(range.count());
    }
    const size_t records = (table_.size() - kTableHeaderSize) / 8;
    if (records < out_.volumes || (table_.size() - kTableHeaderSize) % 8 != 0) {
      if (records < out_.volumes) {
        Report(package::kChecksumTableName, "truncated: " + std::to_string(out_.volumes) + " checksum records expected, " +
                                                std::to_string(records) + " present");
      } else {
        Report(package::kChecksumTableName, "ends inside a checksum record");
      }
    } else if (records > out_.volumes) {
      Report(package::kChecksumTableName, std::to_string(records - out_.volumes) + " checksum records more than volumes");
    }
    return true;
  }

  // Checks volume `n` against checksum record `record` and appends its block payloads to `buffer`.
  bool ReadVolume(int32_t n, size_t record, std::string& buffer) {
    const std::string name = package::VolumeName(n);
    const std::optional<std::string> volume = ReadWholeFile(JoinPath(setup_, name));
    if (!volume) {
      Report(name, "missing or unreadable");
      return false;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(volume->data());
    if (kTableHeaderSize + 8 * (record + 1) > table_.size()) {
      Report(name, "no checksum record in kssum");
      return false;
    }
    uint32_t lo = 0, hi = 0;
    package::VolumeChecksum(volume->size(), bytes, &lo, &hi);
    const auto* expected = reinterpret_cast<const uint8_t*>(table_.data()) + kTableHeaderSize + 8 * record;
    if (lo != Load32(expected) || hi != Load32(expected + 4)) {
      Report(name, "checksum differs from kssum");
      return false;
    }
    package::ContainerHeader header;
    const std::span<const uint8_t> container(bytes, volume->size());
    if (package::ReadContainerHeader(container, &header) != package::CodecStatus::kOk) {
      Report(name, "shorter than the 14-byte container header");
      return false;
    }
    if (header.unpacked_size == 0 || header.unpacked_size > kMaxUnpackedVolume) {
      Report(name, "unpacked size " + std::to_string(header.unpacked_size) + " is out of range");
      return false;
    }
    std::vector<uint8_t> unpacked(header.unpacked_size);
    const package::CodecStatus status = package::DecodeContainer(container, unpacked, nullptr);
    if (status != package::CodecStatus::kOk) {
      Report(name, "cannot be unpacked (status " + std::to_string(static_cast<int>(status)) + ")");
      return false;
    }
    for (size_t at = 0; at < unpacked.size(); at += package::kVolumeBlockSize) {
      const size_t block = std::min<size_t>(package::kVolumeBlockSize, unpacked.size() - at);
      if (block < 2) {
        Report(name, "the block at offset " + std::to_string(at) + " ends inside its length field");
        return false;
      }
      const size_t length = store::GetU16(&unpacked[at]);
      if (length > block - 2) {
        Report(name, "the block at offset " + std::to_string(at) + " claims " + std::to_string(length) +
                         " bytes, more than it holds");
        return false;
      }
      buffer.append(reinterpret_cast<const char*>(&unpacked[at + 2]), length);
    }
    return true;
  }

  std::optional<package::NumberedLine> ParseLine(int group, size_t number, std::string_view raw) {
    const std::string where = "group " + std::to_string(group) + ", manifest line " + std::to_string(number);
    const std::string text = platform::Cp1251ToUtf8(package::TrimLine(raw));
    if (text.empty()) return std::nullopt;
    std::string problem;
    std::optional<package::ManifestLine> parsed = package::ParseManifestLine(text, group, &problem);
    if (!parsed) {
      Report(where, "\"" + text + "\": " + problem);
      return std::nullopt;
    }
    return package::NumberedLine{number, text, std::move(*parsed)};
  }

  void ReadBuffer(int group, const std::string& buffer) {
    const std::string where = "group " + std::to_string(group) + " install buffer";
    if (!scratch_) scratch_.emplace();
    const std::string path = scratch_->Path("group" + std::to_string(group) + ".buf");
    try {
      package::WriteWholeFile(path, buffer);
      store::WFile file(path, store::ScrambleKey{static_cast<uint32_t>(group) + store::ScrambleOffset});
      store::WRec rec;
      std::vector<package::NumberedLine> lines;
      bool parsed = true;
      file.OpenLogical(0);
      for (size_t number = 1; file.ReadRecord(rec); ++number) {
        if (auto line = ParseLine(group, number, rec.bytes())) {
          lines.push_back(std::move(*line));
        } else if (!package::TrimLine(rec.bytes()).empty()) {
          parsed = false;
        }
      }
      // The installer's own check, so that verify never passes a buffer the installer refuses.
      const auto contradictions = package::FindManifestContradictions(file, group, lines);
      for (const package::ManifestContradiction& c : contradictions) {
        Report(c.number == 0 ? where : "group " + std::to_string(group) + ", manifest line " + std::to_string(c.number),
               c.what);
      }
      if (!parsed || !contradictions.empty()) return;  // the installer stops here: nothing to list
      std::vector<std::vector<const package::NumberedLine*>> lines_of(package::kMaxManifestNumber + 1);
      for (const package::NumberedLine& line : lines) lines_of[line.line.logical].push_back(&line);
      const std::vector<const package::NumberedLine*> none;
      for (uint32_t i = 1; i < file.LogicalCount(); ++i) {
        if (file.LogicalLength(i) == store::EmptyLogicalSize) continue;
        ReadLogical(group, file, i, i <= package::kMaxManifestNumber ? lines_of[i] : none, rec);
      }
    } catch (const std::exception& error) {
      Report(where, ErrorText(error));
    }
  }

  // Lists the files of the non-empty logical file `i`, which the check found to hold at least one per
  // line.
  void ReadLogical(int group, store::WFile& file, uint32_t i, const std::vector<const package::NumberedLine*>& lines,
                   store::WRec& rec) {
    const std::string where = "group " + std::to_string(group) + ", logical file " + std::to_string(i);
    file.OpenLogical(i);
    bool more = file.ReadRecord(rec);  // the description record
    for (const package::NumberedLine* numbered : lines) {
      const package::ManifestLine& line = numbered->line;
      const std::string at = "group " + std::to_string(group) + ", manifest line " + std::to_string(numbered->number);
      uint64_t size = 0;
      bool ended = false;
      while (more && (more = file.ReadRecord(rec))) {
        if (rec.type == package::kFileDataRecord) size += rec.length;
        if (rec.type == package::kStoredFileEnd) {
          ended = true;
          break;
        }
      }
      if (!ended) Report(at, "its data ends before the file's end record");
      const package::GroupFolders folders = package::FoldersOfGroup(group);
      out_.files.push_back({group, i, line.folder, std::string(folders.language) + std::string(folders.folders[line.folder - 1]),
                            line.name, line.variant, size});
    }
    if (more && file.ReadRecord(rec)) Report(where, "holds data that no manifest line takes");
  }

  std::string setup_;
  Inspection& out_;
  std::string table_;
  std::array<package::VolumeRange, package::kVolumeGroups> ranges_{};
  std::optional<ScratchFolder> scratch_;
};

}  // namespace

Inspection InspectDistribution(const std::string& distribution) {
  Inspection inspection;
  Inspector(distribution, inspection).Run();
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
  for (const Problem& problem : inspection.problems) text += problem.where + ": " + problem.what + "\n";
  text += distribution + ": " + std::to_string(inspection.volumes) + " volumes, " +
          std::to_string(inspection.files.size()) + " files, " +
          (inspection.problems.empty() ? std::string("no problems")
                                       : std::to_string(inspection.problems.size()) + " problems") +
          "\n";
  return text;
}

}  // namespace tlx::tlxpack
