#include "package/sha256_sums.h"

#include <algorithm>

#include "messages/zerror.h"
#include "platform/fs.h"
#include "store/sfile.h"

namespace tlx::package {
namespace {

constexpr size_t kHexDigits = 2 * platform::kSha256Size;
constexpr uint32_t kHashBlock = 1u << 20;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One line "<64 hex> <blank or *><name>", or the reason it is not one.
std::optional<Sha256Entry> ParseLine(std::string_view line, std::string* problem) {
  if (line.size() < kHexDigits + 3 || line[kHexDigits] != ' ' ||
      (line[kHexDigits + 1] != ' ' && line[kHexDigits + 1] != '*')) {
    *problem = "ожидались 64 шестнадцатеричные цифры, пробел, пробел или \"*\" и имя файла";
    return std::nullopt;
  }
  Sha256Entry entry;
  for (size_t i = 0; i < kHexDigits; i += 2) {
    const int high = HexValue(line[i]);
    const int low = HexValue(line[i + 1]);
    if (high < 0 || low < 0) {
      *problem = "контрольная сумма - не 64 шестнадцатеричные цифры";
      return std::nullopt;
    }
    entry.digest[i / 2] = static_cast<uint8_t>(high << 4 | low);
  }
  entry.name = line.substr(kHexDigits + 2);
  return entry;
}

}  // namespace

std::string FormatSha256Sums(const std::vector<Sha256Entry>& entries) {
  std::string text;
  for (const Sha256Entry& entry : entries) text += platform::DigestHex(entry.digest) + "  " + entry.name + "\n";
  return text;
}

std::optional<std::vector<Sha256Entry>> ParseSha256Sums(std::string_view text, std::string* problem) {
  if (text.size() > kMaxSha256SumsSize) {
    *problem = "длиннее " + std::to_string(kMaxSha256SumsSize) + " байт";
    return std::nullopt;
  }
  std::vector<Sha256Entry> entries;
  size_t number = 0;
  while (!text.empty()) {
    ++number;
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    std::string why;
    std::optional<Sha256Entry> entry = ParseLine(line, &why);
    if (entry && FindDigest(entries, entry->name) != nullptr) why = "файл " + entry->name + " указан дважды";
    if (!why.empty()) {
      *problem = "строка " + std::to_string(number) + ": " + why;
      return std::nullopt;
    }
    entries.push_back(std::move(*entry));
  }
  return entries;
}

const platform::Sha256Digest* FindDigest(const std::vector<Sha256Entry>& entries, std::string_view name) {
  const auto found = std::find_if(entries.begin(), entries.end(), [&](const Sha256Entry& e) { return e.name == name; });
  return found == entries.end() ? nullptr : &found->digest;
}

std::optional<std::vector<Sha256Entry>> LoadSha256Sums(const std::string& folder) {
  const std::string path = folder + kSha256SumsName;
  if (!platform::Attributes(path)) return std::nullopt;
  store::SFile file(path, store::kSFileRead);
  // Read at most one byte past the limit, so a huge file is refused without being read whole.
  std::string text(kMaxSha256SumsSize + 1, '\0');
  uint32_t done = 0;
  while (done < text.size()) {
    const uint32_t got = file.Read(text.data() + done, static_cast<uint32_t>(text.size() - done));
    if (got == 0) break;
    done += got;
  }
  text.resize(done);
  std::string problem;
  std::optional<std::vector<Sha256Entry>> entries = ParseSha256Sums(text, &problem);
  if (!entries) messages::RaiseMsg("Файл " + path + ", " + problem, messages::kMsgFinalText);
  return entries;
}

platform::Sha256Digest FileSha256(const std::string& path) {
  platform::Sha256 hash;
  if (!hash.valid()) messages::RaiseMsg("SHA-256 недоступен в этой системе", messages::kMsgFinalText);
  store::SFile file(path, store::kSFileRead);
  std::vector<uint8_t> block(kHashBlock);
  while (const uint32_t done = file.Read(block.data(), kHashBlock)) hash.Update({block.data(), done});
  std::optional<platform::Sha256Digest> digest = hash.Finish();
  if (!digest) messages::RaiseMsg("SHA-256 недоступен в этой системе", messages::kMsgFinalText);
  return *digest;
}

}  // namespace tlx::package
