// Whole-file operations on record files: creation, copying of logical files, garbage measurement,
// compaction, text export and physical copies.
#include <cmath>
#include <vector>

#include "messages/msg_wrappers.h"
#include "messages/zerror.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "store/aliases.h"
#include "store/version.h"
#include "store/wfile.h"

namespace tlx::store {

using messages::RaiseMsg;

namespace {

[[noreturn]] void Raise(const std::string& text) { RaiseMsg(text, messages::kMsgFinalText); }

// The largest count whose new file still has 32-bit addresses.
constexpr uint32_t kMaxLogicalCount = (0x7FFFFFFFu - kCompoundHeaderSize) / 16;

struct DataArea {
  uint64_t size = 0;       // end address - header - directory
  uint64_t live = 0;       // sum of the directory lengths
};

DataArea MeasureDataArea(std::string_view name) {
  WFile file(name, true);
  DataArea area;
  area.size = file.EndAddress() - (kCompoundHeaderSize + uint64_t{kDirectoryEntrySize} * file.LogicalCount());
  for (uint32_t i = 0; i < file.LogicalCount(); ++i) area.live += file.LogicalLength(i);
  return area;
}

// Buffered sequential writer for the compacted copy.
class ChainWriter {
 public:
  ChainWriter(SFile& file, uint64_t start) : file_(file), position_(start) { file_.Seek(static_cast<int64_t>(start)); }
  void Put(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    buffer_.insert(buffer_.end(), bytes, bytes + size);
    position_ += size;
    if (buffer_.size() >= (1u << 20)) Flush();
  }
  void Flush() {
    if (!buffer_.empty()) file_.Write(buffer_.data(), static_cast<uint32_t>(buffer_.size()));
    buffer_.clear();
  }
  uint64_t position() const { return position_; }

 private:
  SFile& file_;
  uint64_t position_;
  std::vector<uint8_t> buffer_;
};

}  // namespace

void CreateCompoundFile(std::string_view name, uint32_t count, std::string_view version_text) {
  if (count > kMaxLogicalCount) Raise("Недопустимое число логических файлов " + std::to_string(count));
  std::string resolved;
  {
    SFile file(name, kSFileCreateAsk);
    resolved = file.Name();
    const uint32_t data_start = kCompoundHeaderSize + kDirectoryEntrySize * count;
    std::vector<uint8_t> bytes(data_start + std::size_t{EmptyLogicalSize} * count);
    PutU32(bytes.data(), data_start + EmptyLogicalSize * count);
    PutU32(bytes.data() + 4, count);
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t start = data_start + EmptyLogicalSize * i;
      PutU32(&bytes[kCompoundHeaderSize + kDirectoryEntrySize * i], start);
      PutU32(&bytes[kCompoundHeaderSize + kDirectoryEntrySize * i + 4], EmptyLogicalSize);
      std::copy(kEndMarker.begin(), kEndMarker.end(), bytes.begin() + start);
    }
    file.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    file.Close();
  }
  if (version_text.empty()) return;
  const std::string stored = platform::Utf8ToCp1251Lossy(version_text).value_or(std::string(version_text));
  WFile file(resolved);
  file.BeginLogical(0);
  file.WriteTypedRecord(0, static_cast<uint16_t>(std::min<std::size_t>(stored.size(), MaxRecordLength)),
                        stored.data());
  file.EndLogical(0, true);
  file.Close();
}

void CreateCompoundFile(std::string_view name, uint32_t count) {
  CreateCompoundFile(name, count, CurrentVersion().text);
}

void CreateBlankDirectory(std::string_view name, uint32_t count) {
  if (count > kMaxLogicalCount) Raise("Недопустимое число логических файлов " + std::to_string(count));
  SFile file(name, kSFileCreateReplace);
  std::vector<uint8_t> bytes(kCompoundHeaderSize + std::size_t{kDirectoryEntrySize} * count);
  PutU32(bytes.data() + 4, count);
  file.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
  file.Close();
}

void CopyLogical(WFile& source, uint32_t n, WFile& target, uint32_t m) {
  if (!source.IsCompound() || !target.IsCompound()) {
    Raise("При копировании логических файлов " + source.Name() + " или " + target.Name() + " не составной");
  }
  if (source.LogicalLength(n) == EmptyLogicalSize) {
    if (target.LogicalLength(m) != EmptyLogicalSize) target.ClearLogical(m);
    return;
  }
  source.OpenLogical(n);
  target.BeginLogical(m);
  try {
    WRec rec;
    while (source.ReadRecord(rec)) target.WriteRecord(rec);
  } catch (...) {
    target.EndLogical(m, false);
    throw;
  }
  target.EndLogical(m, true);
}

bool IsCompact(std::string_view name) {
  DataArea area;
  try {
    area = MeasureDataArea(name);
  } catch (const messages::ZError& e) {
    messages::MsgException(e);
    return true;
  }
  return area.live == area.size;
}

int GarbagePercent(std::string_view name) {
  const DataArea area = MeasureDataArea(name);
  if (area.size == 0) return 0;
  return 100 - static_cast<int>(std::trunc(static_cast<double>(area.live) * 100.0 / static_cast<double>(area.size)));
}

void CompactCompoundFile(std::string_view name, int threshold) {
  if (GarbagePercent(name) < threshold) return;
  const std::string resolved = ResolveName(name);
  const std::string fresh = resolved + "$";
  {
    WFile source(resolved, true);
    const uint32_t count = source.LogicalCount();
    const uint64_t data_start = kCompoundHeaderSize + uint64_t{kDirectoryEntrySize} * count;
    // Disjoint chains never hold more bytes than the data area; more means shared records.
    const uint64_t budget = source.EndAddress() - data_start;
    platform::DeleteFile(fresh);
    CreateBlankDirectory(fresh, count);
    try {
      SFile target(fresh, kSFileReadWrite);
      std::vector<uint8_t> directory(static_cast<std::size_t>(count) * kDirectoryEntrySize);
      ChainWriter out(target, data_start);
      WRec rec;
      for (uint32_t i = 0; i < count; ++i) {
        const uint64_t start = out.position();
        source.OpenLogical(i);
        while (source.ReadRecord(rec)) {
          uint8_t head[kRecordHeadSize];
          EncodeHead(RecordHead{rec.type, NoLink, rec.length}, head);
          out.Put(head, sizeof head);
          out.Put(rec.data(), rec.length);
          if (out.position() - data_start > budget) {
            Raise("В файле " + resolved + " логические файлы используют общие записи (логический файл " +
                  std::to_string(i) + "); сжатие не выполнено");
          }
        }
        out.Put(kEndMarker.data(), kEndMarker.size());
        PutU32(&directory[i * kDirectoryEntrySize], static_cast<uint32_t>(start));
        PutU32(&directory[i * kDirectoryEntrySize + 4], static_cast<uint32_t>(out.position() - start));
      }
      out.Flush();
      uint8_t header[kCompoundHeaderSize];
      PutU32(header, static_cast<uint32_t>(out.position()));
      PutU32(header + 4, count);
      target.Seek(0);
      target.Write(header, sizeof header);
      if (!directory.empty()) target.Write(directory.data(), static_cast<uint32_t>(directory.size()));
      target.Flush();
      target.Close();
    } catch (...) {
      platform::DeleteFile(fresh);
      throw;
    }
    source.Close();
  }
  // One replacing move: the old file stays whole until the new one takes its name.
  if (!platform::MoveFile(fresh, resolved, true)) messages::RaiseSysError(fresh + "=>" + resolved);
  if (platform::FileExists(fresh)) platform::DeleteFile(fresh);
}

void ExportTextFile(std::string_view source, std::string_view target) {
  const std::string target_name = ResolveName(target);
  if (platform::FileExists(target_name)) platform::DeleteFile(target_name);
  WFile input(source, SimpleMode::Read);
  SFile output(target_name, kSFileCreateAsk);
  WRec rec;
  while (input.ReadRecord(rec)) {
    const std::string_view data = rec.bytes();
    output.WriteLine(data.size() > 2 ? data.substr(2) : std::string_view());
  }
  output.Close();
  input.Close();
}

uint32_t FindFreeLogical(WFile& file, int64_t exclude, uint32_t from) {
  for (uint32_t i = from; i < file.LogicalCount(); ++i) {
    if (file.OpenLogical(i) == EmptyLogicalSize && int64_t{i} != exclude) return i;
  }
  Raise("Необходимо увеличить количество логических файлов");
}

void CopyFile(std::string_view from, std::string_view to) {
  const std::string source = ResolveName(from);
  const std::string target = ResolveName(to);
  if (!platform::CopyFile(source, target, false)) messages::RaiseSysError(source + "=>" + target);
}

}  // namespace tlx::store
