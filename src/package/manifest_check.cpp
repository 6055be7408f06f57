#include "package/manifest_check.h"

#include <optional>
#include <unordered_map>

#include "package/folder_tables.h"
#include "platform/text.h"
#include "store/record_format.h"
#include "store/wfile.h"
#include "store/wrec.h"

namespace tlx::package {

namespace {

// The lines that named one target so far, for the duplicate check in constant time per line.
struct TargetUse {
  size_t first_line = 0;     // any line
  size_t untagged_line = 0;  // the first line without a variant tag
  std::unordered_map<int32_t, size_t> tagged;  // variant tag -> first line with it
};

std::string TargetText(int group, const ManifestLine& line) {
  const GroupFolders folders = FoldersOfGroup(group);
  return std::string(folders.language) + std::string(folders.folders[line.folder - 1]) + "\\" + line.name;
}

std::string ShortChain(const std::string& what, uint64_t read, uint32_t recorded) {
  return what + " читается короче, чем записано в оглавлении (" + std::to_string(read) + " байт из " +
         std::to_string(recorded) + "): запись с данными \"@\" читается как конец цепочки";
}

}  // namespace

ChainContents ReadChainContents(store::WFile& buffer, uint32_t logical) {
  ChainContents contents;
  store::WRec rec(1);
  buffer.OpenLogical(logical);
  bool first = true;
  bool file_open = false;
  while (buffer.PeekRecord(rec)) {
    contents.bytes += store::kRecordHeadSize + rec.length;
    if (first) {
      first = false;
    } else if (rec.type == kStoredFileEnd) {
      ++contents.stored_files;
      file_open = false;
    } else {
      file_open = true;
    }
  }
  contents.bytes += store::kEndMarker.size();
  if (file_open) ++contents.stored_files;
  return contents;
}

std::vector<ManifestContradiction> FindManifestContradictions(store::WFile& buffer, int group,
                                                              const std::vector<NumberedLine>& lines) {
  std::vector<ManifestContradiction> found;
  const uint32_t manifest_length = buffer.LogicalLength(0);
  if (const uint64_t read = ReadChainContents(buffer, 0).bytes; read != manifest_length) {
    found.push_back({0, ShortChain("манифест (логический файл 0)", read, manifest_length)});
  }
  // Logical files a line can name: 1..99.
  std::vector<std::optional<ChainContents>> contents(kMaxManifestNumber + 1);
  std::vector<uint32_t> lines_of(kMaxManifestNumber + 1, 0);
  std::unordered_map<std::string, TargetUse> targets;
  targets.reserve(lines.size());
  for (const NumberedLine& numbered : lines) {
    const ManifestLine& line = numbered.line;
    const size_t number = numbered.number;
    const std::string logical = std::to_string(line.logical);
    if (line.logical == 0 || line.logical > kMaxManifestNumber) {
      found.push_back({number, "неверный номер логического файла " + logical});
      continue;
    }

    // One target, one line; variant alternatives take different tags.
    TargetUse& use = targets[std::to_string(line.folder) + "\\" + platform::UpperUtf8(line.name)];
    size_t earlier = line.variant ? use.untagged_line : use.first_line;
    if (line.variant && earlier == 0) {
      if (auto it = use.tagged.find(*line.variant); it != use.tagged.end()) earlier = it->second;
    }
    if (earlier != 0) {
      found.push_back({number, "файл " + TargetText(group, line) + " уже назван в строке " + std::to_string(earlier)});
    }
    if (use.first_line == 0) use.first_line = number;
    if (!line.variant && use.untagged_line == 0) use.untagged_line = number;
    if (line.variant) use.tagged.emplace(*line.variant, number);

    if (line.logical >= buffer.LogicalCount()) {
      found.push_back({number, "логического файла " + logical + " нет (в файле их " +
                                   std::to_string(buffer.LogicalCount()) + ")"});
      continue;
    }
    const uint32_t recorded = buffer.LogicalLength(line.logical);
    if (recorded == store::EmptyLogicalSize) {
      found.push_back({number, "логический файл " + logical + " пуст"});
      continue;
    }
    std::optional<ChainContents>& held = contents[line.logical];
    if (!held) {
      held = ReadChainContents(buffer, line.logical);
      if (held->bytes != recorded) {
        found.push_back({number, ShortChain("логический файл " + logical, held->bytes, recorded)});
      }
    }
    const uint32_t nth = ++lines_of[line.logical];
    if (nth > held->stored_files) {
      found.push_back({number, "это " + std::to_string(nth) + "-я строка логического файла " + logical +
                                   ", а файлов в нём " + std::to_string(held->stored_files)});
    }
  }
  return found;
}

std::string ContradictionText(const std::string& buffer_name, const std::vector<NumberedLine>& lines,
                              const ManifestContradiction& contradiction) {
  std::string where = "Файл " + buffer_name;
  if (contradiction.number != 0) {
    where += ", строка " + std::to_string(contradiction.number);
    for (const NumberedLine& line : lines) {
      if (line.number == contradiction.number) {
        where += " \"" + line.text + "\"";
        break;
      }
    }
  }
  return where + ": " + contradiction.what;
}

}  // namespace tlx::package
