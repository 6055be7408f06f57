#include "tools/tlxpack/install_buffer.h"

#include <algorithm>
#include <stdexcept>

#include "platform/file.h"
#include "store/compound_builder.h"
#include "store/record_format.h"
#include "store/scramble.h"

namespace tlx::tlxpack {

namespace {

std::string TwoDigits(uint32_t n) {
  return std::string{static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)};
}

// Text of the description record of a data logical file: its manifest lines, CR LF between them.
std::string DescriptionText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    if (!text.empty()) text += "\r\n";
    text += line;
  }
  if (text.size() > store::MaxRecordLength) text.resize(store::MaxRecordLength);
  return text;
}

uint64_t RecordSize(uint64_t data) { return store::kRecordHeadSize + data; }

// The units of each data logical file, and each one's manifest lines, in order.
struct LogicalFiles {
  std::vector<std::vector<size_t>> units;        // index = logical file - 1
  std::vector<std::vector<std::string>> lines;
};

LogicalFiles GroupByLogical(const std::vector<InstallUnit>& units, const std::vector<uint32_t>& logical) {
  LogicalFiles files;
  const uint32_t used = units.empty() ? 0 : *std::max_element(logical.begin(), logical.end());
  files.units.resize(used);
  files.lines.resize(used);
  for (size_t u = 0; u < units.size(); ++u) {
    files.units[logical[u] - 1].push_back(u);
    for (const StoredFile& file : units[u].files) files.lines[logical[u] - 1].push_back(ManifestLine(logical[u], file));
  }
  return files;
}

constexpr uint32_t kReadChunk = store::MaxRecordLength;

}  // namespace

std::vector<uint32_t> AssignLogicalFiles(size_t unit_count) {
  std::vector<uint32_t> logical(unit_count);
  if (unit_count <= kMaxDataLogicalFiles) {
    for (size_t u = 0; u < unit_count; ++u) logical[u] = static_cast<uint32_t>(u + 1);
    return logical;
  }
  // Run j (0-based) takes the units from floor(j * n / 99) up to floor((j + 1) * n / 99).
  for (uint32_t j = 0; j < kMaxDataLogicalFiles; ++j) {
    const size_t from = j * unit_count / kMaxDataLogicalFiles;
    const size_t to = (j + 1) * unit_count / kMaxDataLogicalFiles;
    for (size_t u = from; u < to; ++u) logical[u] = j + 1;
  }
  return logical;
}

std::string ManifestLine(uint32_t logical, const StoredFile& file) {
  std::string line = TwoDigits(logical) + TwoDigits(file.folder) + file.name;
  if (file.variant) line += " " + std::to_string(*file.variant);
  return line;
}

std::vector<uint32_t> DataRecordSizes(uint64_t size, char last_byte) {
  if (size == 1 && last_byte == static_cast<char>(store::kEndMarkerByte)) {
    throw std::invalid_argument("a file holding only the byte \"@\" cannot be stored: it reads as the end marker");
  }
  std::vector<uint32_t> sizes(size / kReadChunk, kReadChunk);
  if (const uint32_t rest = static_cast<uint32_t>(size % kReadChunk); rest != 0) sizes.push_back(rest);
  if (sizes.size() >= 2 && sizes.back() == 1 && last_byte == static_cast<char>(store::kEndMarkerByte)) {
    sizes[sizes.size() - 2] -= 1;
    sizes.back() = 2;
  }
  return sizes;
}

BufferLayout LayOutBuffer(const std::vector<InstallUnit>& units) {
  BufferLayout layout;
  layout.logical_of_unit = AssignLogicalFiles(units.size());
  const LogicalFiles files = GroupByLogical(units, layout.logical_of_unit);
  layout.logical_count = 1 + static_cast<uint32_t>(files.units.size());
  uint64_t size = store::kCompoundHeaderSize + uint64_t{store::kDirectoryEntrySize} * layout.logical_count;
  for (size_t i = 0; i < files.units.size(); ++i) {
    for (const std::string& line : files.lines[i]) {
      layout.manifest.push_back(line);
      size += RecordSize(line.size());
    }
    size += RecordSize(DescriptionText(files.lines[i]).size());
    for (size_t u : files.units[i]) {
      for (const StoredFile& file : units[u].files) {
        const std::vector<uint32_t> records = DataRecordSizes(file.size, file.last_byte);
        size += file.size + store::kRecordHeadSize * records.size() + RecordSize(8);
      }
    }
    size += store::EmptyLogicalSize;  // end marker
  }
  size += store::EmptyLogicalSize;  // end marker of the manifest
  layout.size = size;
  return layout;
}

void WriteInstallBuffer(const std::string& path, int group, const std::vector<InstallUnit>& units,
                        const BufferLayout& layout, const std::function<void(uint64_t bytes)>& on_file) {
  const LogicalFiles files = GroupByLogical(units, layout.logical_of_unit);
  store::CompoundFileBuilder builder(path, layout.logical_count, static_cast<uint32_t>(group) + store::ScrambleOffset);
  builder.BeginLogical(0);
  for (const std::string& line : layout.manifest) builder.AddRecord(0, line);
  builder.EndLogical();
  std::string chunk(kReadChunk, '\0');
  for (size_t i = 0; i < files.units.size(); ++i) {
    builder.BeginLogical(static_cast<uint32_t>(i + 1));
    builder.AddRecord(kDescriptionRecord, DescriptionText(files.lines[i]));
    for (size_t u : files.units[i]) {
      for (const StoredFile& file : units[u].files) {
        platform::File source = platform::File::Open(file.source, {});
        if (!source.valid()) throw std::runtime_error(file.source + ": cannot be read");
        uint64_t total = 0;
        for (uint32_t record : DataRecordSizes(file.size, file.last_byte)) {
          uint32_t done = 0;
          if (!source.Read(chunk.data(), record, &done) || done != record) {
            throw std::runtime_error(file.source + ": changed while the distribution was built");
          }
          total += done;
          if (total == file.size && file.size % kReadChunk == 1 && chunk[done - 1] != file.last_byte) {
            throw std::runtime_error(file.source + ": changed while the distribution was built");
          }
          builder.AddRecord(kDataRecord, std::string_view(chunk.data(), record));
        }
        uint32_t extra = 0;
        if (!source.Read(chunk.data(), 1, &extra) || extra != 0) {
          throw std::runtime_error(file.source + ": changed while the distribution was built");
        }
        uint8_t size_bytes[8];
        for (int b = 0; b < 8; ++b) size_bytes[b] = static_cast<uint8_t>(file.size >> (8 * b));
        builder.AddRecord(kFileEndRecord, std::string_view(reinterpret_cast<const char*>(size_bytes), 8));
        if (on_file) on_file(file.size);
      }
    }
    builder.EndLogical();
  }
  builder.Finish();
}

}  // namespace tlx::tlxpack
