// Drive-letter paths onto native folders: "c:\tlx5_320\Cfg" -> "<drive c folder>/tlx5_320/Cfg",
// existing components found without regard to letter case as Windows finds them. The current
// folder is kept in drive form when it was set through a drive path.
#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <vector>

#include "platform/config.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/posix/posix_internal.h"
#include "platform/text.h"

namespace tlx::platform {

namespace {

std::mutex cwd_mutex;
std::string cwd_windows;  // drive form given to SetCurrentFolder, empty when set natively
std::string cwd_native;   // getcwd() right after that change, to notice a change made behind our back

bool IsSeparator(char c) { return c == '\\' || c == '/'; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c | 0x20) : c; }
bool HasDriveLetter(const std::string& path) {
  const char c = Lower(path.empty() ? '\0' : path[0]);
  return path.size() >= 2 && c >= 'a' && c <= 'z' && path[1] == ':';
}

std::string NativeSlashes(std::string path) {
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

std::string GetCwd() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

const DriveConfig* FindDrive(char letter) {
  for (const DriveConfig& drive : CurrentConfig().drives) {
    if (drive.letter == Lower(letter)) return &drive;
  }
  return nullptr;
}

// The drive form of the current folder, when it has one.
std::optional<std::string> CurrentDriveFolder() {
  const std::string folder = CurrentFolder();
  if (HasDriveLetter(folder)) return folder;
  return std::nullopt;
}

std::vector<std::string> SplitComponents(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = start;
    while (end < text.size() && !IsSeparator(text[end])) ++end;
    std::string part = text.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();  // never above the root, as Windows
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    start = end + 1;
  }
  return parts;
}

// The absolute, normalised drive form of `path` ("c:\a\b", root "c:\"); nullopt for native paths.
std::optional<std::string> AbsoluteDrivePath(const std::string& path) {
  std::string full;
  if (HasDriveLetter(path)) {
    const std::string rest = path.substr(2);
    if (!rest.empty() && !IsSeparator(rest[0])) {  // "c:x": relative to the current folder of c:
      auto cwd = CurrentDriveFolder();
      full = (cwd && Lower((*cwd)[0]) == Lower(path[0])) ? *cwd + "\\" + rest : path.substr(0, 2) + "\\" + rest;
    } else {
      full = path;
    }
  } else {
    if (path.empty() || path[0] == '/' || path.starts_with("\\\\")) return std::nullopt;
    auto cwd = CurrentDriveFolder();
    if (!cwd) return std::nullopt;
    full = path[0] == '\\' ? cwd->substr(0, 2) + path : *cwd + "\\" + path;
  }
  std::string out = full.substr(0, 2) + "\\";
  const std::vector<std::string> parts = SplitComponents(full.substr(2));
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += '\\';
    out += parts[i];
  }
  return out;
}

// The entry of `folder` whose name equals `name` without regard to letter case.
std::optional<std::string> FindCaseBlind(const std::string& folder, const std::string& name) {
  DIR* dir = opendir(folder.empty() ? "/" : folder.c_str());
  if (!dir) return std::nullopt;
  const std::string wanted = UpperUtf8(name);
  std::optional<std::string> found;
  while (dirent* entry = readdir(dir)) {
    if (UpperUtf8(entry->d_name) == wanted) {
      found = entry->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

std::optional<std::string> MapDrivePath(const std::string& absolute, bool keep_last) {
  const DriveConfig* drive = posix::DriveWithMedium(absolute[0]);
  if (!drive) return std::nullopt;
  const std::vector<std::string> parts = SplitComponents(absolute.substr(2));
  std::string native = drive->folder == "/" ? std::string() : drive->folder;
  bool missing = false;  // below a missing component every name stays as given
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string exact = native + "/" + parts[i];
    struct stat st;
    if (missing || (keep_last && i + 1 == parts.size()) || lstat(exact.c_str(), &st) == 0) {
      native = exact;
      continue;
    }
    if (auto name = FindCaseBlind(native, parts[i])) {
      native += "/" + *name;
    } else {
      native = exact;
      missing = true;
    }
  }
  return native.empty() ? std::string("/") : native;
}

std::optional<std::string> Map(const std::string& path, bool keep_last) {
  if (auto absolute = AbsoluteDrivePath(path)) return MapDrivePath(*absolute, keep_last);
  if (path.empty()) {
    SetLastError(err::kPathNotFound);
    return std::nullopt;
  }
  return NativeSlashes(path);
}

}  // namespace

namespace posix {

const DriveConfig* DriveWithMedium(char letter) {
  const DriveConfig* drive = FindDrive(letter);
  if (!drive) {
    SetLastError(err::kPathNotFound);
  } else if (!drive->has_medium || drive->folder.empty()) {
    SetLastError(err::kNotReady);
    return nullptr;
  }
  return drive;
}

std::optional<std::string> MapPath(const std::string& path) { return Map(path, false); }
std::optional<std::string> MapPathKeepLast(const std::string& path) { return Map(path, true); }

std::string WindowsForm(const std::string& native) {
  const DriveConfig* best = nullptr;
  size_t best_length = 0;
  for (const DriveConfig& drive : CurrentConfig().drives) {
    if (!drive.has_medium || drive.folder.empty()) continue;
    std::vector<std::string> roots{drive.folder};
    if (char* real = realpath(drive.folder.c_str(), nullptr)) {
      roots.emplace_back(real);
      free(real);
    }
    for (const std::string& root : roots) {
      const bool inside = native == root || (native.starts_with(root) && native[root.size()] == '/');
      if (inside && root.size() >= best_length) {
        best = &drive;
        best_length = root.size();
      }
    }
  }
  if (!best) return native;
  std::string out = std::string(1, best->letter) + ":\\";
  std::string rest = native.substr(best_length);
  while (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
  for (char c : rest) out += (c == '/') ? '\\' : c;
  return out;
}

}  // namespace posix

std::string CurrentFolder() {
  const std::string native = GetCwd();
  {
    std::lock_guard lock(cwd_mutex);
    if (!cwd_windows.empty() && native == cwd_native) return cwd_windows;
  }
  return posix::WindowsForm(native);
}

bool SetCurrentFolder(const std::string& path) {
  const std::optional<std::string> absolute = AbsoluteDrivePath(path);
  const std::optional<std::string> native = posix::MapPath(path);
  if (!native) return false;
  if (chdir(native->c_str()) != 0) {
    const int e = errno;
    if (e == ENOTDIR) {
      SetLastError(267);  // ERROR_DIRECTORY
    } else {
      posix::SetErrnoError(e, *native);
    }
    return false;
  }
  std::lock_guard lock(cwd_mutex);
  cwd_native = GetCwd();
  cwd_windows = absolute ? *absolute : std::string();
  return true;
}

}  // namespace tlx::platform
