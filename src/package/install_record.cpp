#include "package/install_record.h"

#include <span>

#include "messages/zerror.h"
#include "package/suite_identity.h"
#include "platform/text.h"
#include "store/settings_file.h"
#include "store/sfile.h"

namespace tlx::package {

namespace {

constexpr size_t kMaxRecordSize = 16u << 20;

std::string Upper(std::string_view text) { return platform::UpperUtf8(text); }

// The part of `path` below `dir` ("" for dir itself); nullopt when it is not below it.
std::optional<std::string> Below(const std::string& dir, const std::string& path) {
  const std::string prefix = Upper(dir + "\\");
  if (Upper(path) == Upper(dir)) return std::string();
  if (Upper(path).rfind(prefix, 0) != 0) return std::nullopt;
  return path.substr(dir.size() + 1);
}

void NoteOnce(std::vector<std::string>& list, std::string relative) {
  const std::string upper = Upper(relative);
  for (const std::string& known : list) {
    if (Upper(known) == upper) return;
  }
  list.push_back(std::move(relative));
}

// A relative path the uninstaller may act on: components without drive, stream or parent steps.
bool SafeRelative(const std::string& path) {
  if (path.empty()) return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find_first_of("\\/", start);
    if (end == std::string::npos) end = path.size();
    const std::string_view part(path.data() + start, end - start);
    if (part.empty() || part == "." || part == ".." || part.find(':') != std::string_view::npos) return false;
    start = end + 1;
  }
  return true;
}

std::string RecordPath(const std::string& install_dir) { return install_dir + "\\" + kInstallRecordName; }

}  // namespace

void InstallRecord::FolderCreated(const std::string& path) {
  if (auto relative = Below(install_dir, path); relative && !relative->empty()) NoteOnce(folders, std::move(*relative));
}

void InstallRecord::FileWritten(const std::string& path) {
  if (auto relative = Below(install_dir, path); relative && !relative->empty()) NoteOnce(files, std::move(*relative));
}

std::string FormatInstallRecord(const InstallRecord& record) {
  std::string text = std::string("; ") + kProductCode + ": what the installation of " + kSuiteDisplayName +
                     " wrote, for " + kUninstallProgramName + "\r\n";
  text += "[Setup]\r\nVersion=" + record.version + "\r\nDir=" + record.install_dir + "\r\nShortcut=" + record.shortcut +
          "\r\n";
  const auto section = [&text](const char* name, const std::vector<std::string>& lines) {
    text += "[" + std::string(name) + "]\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
  };
  section("CreatedParents", record.created_parents);
  section("Folders", record.folders);
  section("Files", record.files);
  return text;
}

std::optional<InstallRecord> ParseInstallRecord(std::string_view text, std::string* error) {
  InstallRecord record;
  std::string section;
  bool have_dir = false;
  size_t number = 0;
  std::vector<std::string> parents;
  const auto fail = [&](const std::string& what) -> std::optional<InstallRecord> {
    if (error) *error = "line " + std::to_string(number) + ": " + what;
    return std::nullopt;
  };
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  while (!text.empty()) {
    ++number;
    const size_t end = text.find('\n');
    std::string line(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (!platform::IsValidUtf8(line)) return fail("not UTF-8");
    if (line[0] == '[') {
      if (line.back() != ']') return fail("unclosed section");
      section = line.substr(1, line.size() - 2);
      if (section != "Setup" && section != "CreatedParents" && section != "Folders" && section != "Files")
        return fail("unknown section [" + section + "]");
      continue;
    }
    if (section == "Setup") {
      const size_t eq = line.find('=');
      if (eq == std::string::npos) return fail("expected key=value");
      const std::string key = line.substr(0, eq);
      std::string value = line.substr(eq + 1);
      if (key == "Version") {
        record.version = std::move(value);
      } else if (key == "Dir") {
        if (value.size() < 4 || value[1] != ':' || value[2] != '\\' || !SafeRelative(value.substr(3)))
          return fail("Dir is not a folder path");
        record.install_dir = std::move(value);
        have_dir = true;
      } else if (key == "Shortcut") {
        record.shortcut = std::move(value);
      } else {
        return fail("unknown key " + key);
      }
    } else if (section == "CreatedParents") {
      parents.push_back(std::move(line));
    } else if (section == "Folders" || section == "Files") {
      if (!SafeRelative(line)) return fail("not a path inside the installation folder: " + line);
      (section == "Folders" ? record.folders : record.files).push_back(std::move(line));
    } else {
      return fail("a line before the first section");
    }
  }
  if (!have_dir) return fail("no Dir in [Setup]");
  for (std::string& parent : parents) {
    // Only folders that hold Dir: an uninstaller never removes anything else.
    const std::optional<std::string> below = Below(parent, record.install_dir);
    if (!below || below->empty() || parent.size() < 4 || parent[1] != ':')
      return fail("created parent " + parent + " does not hold " + record.install_dir);
    record.created_parents.push_back(std::move(parent));
  }
  return record;
}

void WriteInstallRecord(const InstallRecord& record) {
  const std::string text = FormatInstallRecord(record);
  store::ReplaceFileContents(RecordPath(record.install_dir),
                             std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

InstallRecord ReadInstallRecord(const std::string& install_dir) {
  const std::string path = RecordPath(install_dir);
  std::string text;
  {
    store::SFile file(path, store::kSFileRead);
    if (file.Size() > static_cast<int64_t>(kMaxRecordSize))
      messages::RaiseMsg("Файл " + path + " - больше 16 Мб", messages::kMsgFinalText);
    char buffer[1 << 14];
    while (const uint32_t got = file.Read(buffer, sizeof buffer)) text.append(buffer, got);
  }
  std::string error;
  std::optional<InstallRecord> record = ParseInstallRecord(text, &error);
  if (!record) messages::RaiseMsg("Файл " + path + " - " + error, messages::kMsgFinalText);
  if (Upper(record->install_dir) != Upper(install_dir))
    messages::RaiseMsg("Файл " + path + " - записан для папки " + record->install_dir, messages::kMsgFinalText);
  return *record;
}

}  // namespace tlx::package
