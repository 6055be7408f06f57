#include "package/buffer_extract.h"

#include <optional>

#include "messages/zerror.h"
#include "package/link_guard.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "store/record_format.h"
#include "store/sfile.h"
#include "store/wfile.h"
#include "store/wrec.h"

namespace tlx::package {

namespace {

// A line as it can be shown: control characters (a zero byte among them) as "?".
std::string Printable(std::string text) {
  for (char& c : text) {
    if (static_cast<uint8_t>(c) < ' ') c = '?';
  }
  return text;
}

[[noreturn]] void RaiseOnLine(const store::WFile& buffer, const NumberedLine& line, const std::string& what) {
  messages::RaiseMsg("Файл " + buffer.Name() + ", строка " + std::to_string(line.number) + " \"" + line.text +
                         "\": " + what,
                     messages::kMsgFinalText);
}

}  // namespace

std::vector<NumberedLine> ReadManifest(store::WFile& buffer, int group) {
  std::vector<NumberedLine> manifest;
  store::WRec record;
  buffer.OpenLogical(0);
  for (size_t number = 1; buffer.ReadRecord(record); ++number) {
    const std::string text = platform::Cp1251ToUtf8(record.bytes());
    const std::string_view line = TrimLine(text);
    if (line.empty()) continue;
    NumberedLine numbered;
    numbered.number = number;
    numbered.text = Printable(std::string(line));
    std::string problem;
    auto parsed = ParseManifestLine(line, group, &problem);
    if (!parsed) RaiseOnLine(buffer, numbered, problem);
    numbered.line = std::move(*parsed);
    manifest.push_back(std::move(numbered));
  }
  return manifest;
}

void ExtractBufferFile(store::WFile& buffer, uint32_t logical, const ExtractTarget& target,
                       const std::vector<const NumberedLine*>& lines, store::WRec& record,
                       const FileWrittenFn& written) {
  buffer.OpenLogical(logical);
  bool more = buffer.ReadRecord(record);  // the first record carries no file data
  for (const NumberedLine* numbered : lines) {
    const ManifestLine& line = numbered->line;
    // A chain that ended already was misread or cut short: its file is not there to write.
    if (!more) RaiseOnLine(buffer, *numbered, "данные логического файла " + std::to_string(logical) + " кончились");
    const bool selected = !line.variant || *line.variant == target.variant;
    std::optional<store::SFile> out;
    std::string path;
    uint64_t size = 0;
    if (selected) {
      path = ManifestTargetPath(target.install_dir, target.group, line);
      RequireNoLinksBelow(target.install_dir, path);
      out.emplace(path, store::kSFileCreateAsk);
    }
    try {
      while (more && (more = buffer.ReadRecord(record)) && record.type != kStoredFileEnd) {
        if (record.type == kFileDataRecord && out) size += out->Write(record.data(), record.length);
      }
    } catch (...) {
      // A file whose data could not be read whole does not stay behind as if it were installed.
      if (out) {
        out.reset();
        platform::DeleteFile(path);
      }
      throw;
    }
    if (out) {
      out->Close();
      if (written) written(path, size);
    }
  }
}

void ExtractInstallBuffer(store::WFile& buffer, const ExtractTarget& target, store::WRec& record,
                          const std::function<void()>& next_logical, const FileWrittenFn& written) {
  const std::vector<NumberedLine> manifest = ReadManifest(buffer, target.group);
  const std::vector<ManifestContradiction> contradictions = FindManifestContradictions(buffer, target.group, manifest);
  if (!contradictions.empty()) {
    messages::RaiseMsg(ContradictionText(buffer.Name(), manifest, contradictions.front()), messages::kMsgFinalText);
  }
  // The lines of each logical file a line can name (1..99), in manifest order.
  std::vector<std::vector<const NumberedLine*>> lines_of(kMaxManifestNumber + 1);
  for (const NumberedLine& line : manifest) lines_of[line.line.logical].push_back(&line);
  const std::vector<const NumberedLine*> none;
  for (uint32_t logical = 1; logical < buffer.LogicalCount(); ++logical) {
    if (buffer.LogicalLength(logical) == store::EmptyLogicalSize) continue;
    if (next_logical) next_logical();
    ExtractBufferFile(buffer, logical, target, logical <= kMaxManifestNumber ? lines_of[logical] : none, record,
                      written);
  }
}

}  // namespace tlx::package
