#include "package/buffer_extract.h"

#include <optional>

#include "messages/zerror.h"
#include "package/link_guard.h"
#include "platform/text.h"
#include "store/sfile.h"
#include "store/wfile.h"
#include "store/wrec.h"

namespace tlx::package {

namespace {

constexpr uint8_t kEndOfStoredFile = 0;
constexpr uint8_t kFileData = 2;

// A line as it can be shown: control characters (a zero byte among them) as "?".
std::string Printable(std::string text) {
  for (char& c : text) {
    if (static_cast<uint8_t>(c) < ' ') c = '?';
  }
  return text;
}

}  // namespace

std::vector<ManifestLine> ReadManifest(store::WFile& buffer, int group) {
  std::vector<ManifestLine> manifest;
  store::WRec record;
  buffer.OpenLogical(0);
  for (size_t number = 1; buffer.ReadRecord(record); ++number) {
    const std::string text = platform::Cp1251ToUtf8(record.bytes());
    const std::string_view line = TrimLine(text);
    if (line.empty()) continue;
    std::string problem;
    auto parsed = ParseManifestLine(line, group, &problem);
    if (!parsed) {
      messages::RaiseMsg("Файл " + buffer.Name() + ", строка " + std::to_string(number) + " \"" +
                             Printable(std::string(line)) + "\": " + problem,
                         messages::kMsgFinalText);
    }
    manifest.push_back(std::move(*parsed));
  }
  return manifest;
}

void ExtractBufferFile(store::WFile& buffer, uint32_t logical, const ExtractTarget& target,
                       const std::vector<ManifestLine>& manifest, store::WRec& record,
                       const FileWrittenFn& written) {
  buffer.OpenLogical(logical);
  bool more = buffer.ReadRecord(record);  // the first record carries no file data
  for (const ManifestLine& line : manifest) {
    if (line.logical != logical) continue;
    const bool selected = !line.variant || *line.variant == target.variant;
    std::optional<store::SFile> out;
    std::string path;
    uint64_t size = 0;
    if (selected) {
      path = ManifestTargetPath(target.install_dir, target.group, line);
      RequireNoLinksBelow(target.install_dir, path);
      out.emplace(path, store::kSFileCreateAsk);
    }
    while (more && (more = buffer.ReadRecord(record)) && record.type != kEndOfStoredFile) {
      if (record.type == kFileData && out) size += out->Write(record.data(), record.length);
    }
    if (out) {
      out->Close();
      if (written) written(path, size);
    }
  }
}

}  // namespace tlx::package
