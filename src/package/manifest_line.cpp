#include "package/manifest_line.h"

#include <array>
#include <charconv>

#include "messages/zerror.h"
#include "package/folder_tables.h"
#include "platform/text.h"

namespace tlx::package {

namespace {

// Device names Windows opens whatever folder or extension they are given with.
constexpr std::array<std::string_view, 6> kDeviceNames = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};

bool IsDeviceName(std::string_view name) {
  const std::string base = platform::UpperUtf8(name.substr(0, name.find('.')));
  for (std::string_view device : kDeviceNames) {
    if (base == device) return true;
  }
  if (!base.starts_with("COM") && !base.starts_with("LPT")) return false;
  // Windows counts the Latin-1 superscripts one, two and three as digits of a port number.
  const std::string_view number = std::string_view(base).substr(3);
  return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\u00B9" ||
         number == "\u00B2" || number == "\u00B3";
}

size_t CharacterCount(std::string_view utf8) {
  size_t count = 0;
  for (char c : utf8) count += (static_cast<uint8_t>(c) & 0xC0) != 0x80;
  return count;
}

bool TwoDigits(std::string_view text, uint32_t* value) {
  if (text.size() != 2 || text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9') return false;
  *value = static_cast<uint32_t>((text[0] - '0') * 10 + (text[1] - '0'));
  return true;
}

std::optional<ManifestLine> Refuse(std::string* problem, std::string text) {
  *problem = std::move(text);
  return std::nullopt;
}

}  // namespace

std::string_view TrimLine(std::string_view text) {
  while (!text.empty() && static_cast<uint8_t>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<uint8_t>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

std::optional<std::string> InstallNameProblem(std::string_view name) {
  if (name.empty()) return "пустое имя файла";
  if (!platform::IsValidUtf8(name)) return "имя файла не в кодировке текста";
  if (CharacterCount(name) > kMaxInstallName) return "имя файла длиннее 255 символов";
  for (char c : name) {
    const uint8_t byte = static_cast<uint8_t>(c);
    if (c == '\\' || c == '/' || c == ':') return "имя файла содержит путь";
    if (byte < ' ' || byte == 0x7F) return "имя файла содержит управляющий символ";
    if (std::string_view("<>\"|?*").find(c) != std::string_view::npos) return "имя файла содержит недопустимый символ";
  }
  if (name == "." || name == "..") return "имя файла - ссылка на папку";
  if (name.back() == '.' || name.back() == ' ') return "имя файла кончается точкой или пробелом";
  if (IsDeviceName(name)) return "имя файла - имя устройства";
  return std::nullopt;
}

std::optional<ManifestLine> ParseManifestLine(std::string_view line, int group, std::string* problem) {
  ManifestLine parsed;
  if (!TwoDigits(line.substr(0, 2), &parsed.logical)) return Refuse(problem, "неверный номер логического файла");
  if (parsed.logical == 0) return Refuse(problem, "номер логического файла 0");
  if (!TwoDigits(line.substr(2, 2), &parsed.folder)) return Refuse(problem, "неверный номер папки");
  const GroupFolders folders = FoldersOfGroup(group);
  if (parsed.folder == 0 || parsed.folder > folders.count) return Refuse(problem, "номер папки вне таблицы");
  std::string_view rest = line.size() > 4 ? line.substr(4) : std::string_view();
  const size_t blank = rest.find(' ');
  if (blank != std::string_view::npos) {
    const std::string_view tag = rest.substr(blank + 1);
    int32_t variant = 0;
    const auto [end, error] = std::from_chars(tag.data(), tag.data() + tag.size(), variant);
    if (tag.empty() || error != std::errc() || end != tag.data() + tag.size()) {
      return Refuse(problem, "неверный признак варианта");
    }
    parsed.variant = variant;
    rest = rest.substr(0, blank);
  }
  if (auto name_problem = InstallNameProblem(rest)) return Refuse(problem, *name_problem);
  parsed.name = std::string(rest);
  return parsed;
}

std::string FormatManifestLine(const ManifestLine& line, int group) {
  auto two = [](uint32_t n) { return std::string{static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)}; };
  std::string text = two(line.logical) + two(line.folder) + line.name;
  if (line.variant) text += " " + std::to_string(*line.variant);
  std::string problem;
  if (line.logical > kMaxManifestNumber || line.folder > kMaxManifestNumber ||
      !ParseManifestLine(text, group, &problem)) {
    if (problem.empty()) problem = "номер больше 99";
    messages::RaiseMsg("Файл " + line.name + " не может быть установлен: " + problem, messages::kMsgFinalText);
  }
  return text;
}

std::string ManifestTargetPath(const std::string& install_dir, int group, const ManifestLine& line) {
  const GroupFolders folders = FoldersOfGroup(group);
  return install_dir + std::string(folders.language) + std::string(folders.folders[line.folder - 1]) + "\\" +
         line.name;
}

}  // namespace tlx::package
