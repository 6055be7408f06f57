// Files and folders by name on POSIX, answering as Windows does: attributes from the mode bits, the
// read-only attribute binding every user, Windows wildcards, DOS times of the local time.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/config.h"
#include "platform/error.h"
#include "platform/fault_injection.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/posix/posix_internal.h"
#include "platform/text.h"

namespace tlx::platform {

namespace {

constexpr uint32_t kErrorDirectory = 267;  // ERROR_DIRECTORY: the name is not a folder

bool Fail(uint32_t code) {
  SetLastError(code);
  return false;
}

bool FailErrno(int errno_value, const std::string& native = {}) {
  posix::SetErrnoError(errno_value, native);
  return false;
}

uint32_t AttributesOf(const std::string& native, const struct stat& link_stat) {
  uint32_t attributes = 0;
  struct stat st = link_stat;
  if (S_ISLNK(link_stat.st_mode)) {
    attributes |= attr::kReparsePoint;
    if (stat(native.c_str(), &st) != 0) st = link_stat;
  }
  attributes |= S_ISDIR(st.st_mode) ? attr::kDirectory : attr::kArchive;
  if (!S_ISLNK(st.st_mode) && !(st.st_mode & S_IWUSR)) attributes |= attr::kReadOnly;
  return attributes ? attributes : attr::kNormal;
}

std::optional<uint32_t> DosTime(time_t seconds) {
  struct tm local;
  if (!localtime_r(&seconds, &local) || local.tm_year < 80 || local.tm_year > 207) {
    SetLastError(err::kInvalidParameter);
    return std::nullopt;
  }
  const uint32_t date = static_cast<uint32_t>(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
  const uint32_t time = static_cast<uint32_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
  return (date << 16) | time;
}

// A name's characters upper-cased, one unit each, for wildcard matching and listing order.
std::u16string FoldedUnits(const std::string& name) {
  const std::string upper = UpperUtf8(name);
  if (auto units = Utf8ToUtf16(upper)) return *units;
  return std::u16string(upper.begin(), upper.end());  // not UTF-8: byte by byte
}

bool Glob(std::u16string_view pattern, std::u16string_view name) {
  size_t p = 0, n = 0, star = std::u16string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
      ++p, ++n;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      star = p++;
      resume = n;
    } else if (star != std::u16string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

// Windows' wildcard rules: "*" and "?" case-blind; a pattern ending in ".*" also matches the name
// without any extension ("*.*" matches everything), one ending in "." matches names without a dot.
bool MatchesPattern(const std::u16string& pattern, const std::string& name) {
  const std::u16string folded = FoldedUnits(name);
  if (Glob(pattern, folded)) return true;
  if (pattern.ends_with(u".*") && Glob(std::u16string_view(pattern).substr(0, pattern.size() - 2), folded)) {
    return true;
  }
  return pattern.ends_with(u'.') && folded.find(u'.') == std::u16string::npos &&
         Glob(std::u16string_view(pattern).substr(0, pattern.size() - 1), folded);
}

// Copies the bytes, permission bits and times of `source` into the new file `target` (which must
// not exist: a file or link of that name fails the copy rather than carry its bytes elsewhere).
bool CopyContents(const std::string& source, const std::string& target) {
  const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (in < 0) return FailErrno(errno, source);
  struct stat st;
  if (fstat(in, &st) != 0) {
    const int e = errno;
    close(in);
    return FailErrno(e);
  }
  if (!S_ISREG(st.st_mode)) {
    close(in);
    return Fail(S_ISDIR(st.st_mode) ? err::kAccessDenied : err::kCantAccessFile);
  }
  fcntl(in, F_SETFL, fcntl(in, F_GETFL) & ~O_NONBLOCK);
  if (InjectFault(FaultOp::kCreate)) {
    close(in);
    return false;
  }
  const int out = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (out < 0) {
    const int e = errno;
    close(in);
    return FailErrno(e, target);
  }
  std::vector<char> buffer(1 << 16);
  int error = 0;
  uint32_t injected = 0;
  if (InjectFault(FaultOp::kWrite)) injected = LastError();
  for (; injected == 0;) {
    const ssize_t n = read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n < 0) error = errno;
      break;
    }
    for (ssize_t done = 0; done < n && error == 0;) {
      const ssize_t w = write(out, buffer.data() + done, static_cast<size_t>(n - done));
      if (w < 0 && errno != EINTR) error = errno;
      if (w > 0) done += w;
    }
    if (error) break;
  }
  if (error == 0 && injected == 0) {
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    futimens(out, times);
    fchmod(out, st.st_mode & 07777);
  }
  close(in);
  if (close(out) != 0 && error == 0) error = errno;
  if (error != 0 || injected != 0) {
    unlink(target.c_str());  // no half-copied file stays behind
    if (injected != 0) return Fail(injected);
    return FailErrno(error);
  }
  return true;
}

std::string ParentOf(const std::string& path) {
  std::string trimmed = path;
  while (!trimmed.empty() && (trimmed.back() == '\\' || trimmed.back() == '/')) trimmed.pop_back();
  const size_t cut = trimmed.find_last_of("\\/");
  if (cut == std::string::npos) return {};
  return trimmed.substr(0, cut);
}

bool IsRoot(const std::string& path) {
  return path.empty() || path == "/" || path == "\\" ||
         (path.size() <= 3 && path.size() >= 2 && path[1] == ':' &&
          (path.size() == 2 || path[2] == '\\' || path[2] == '/'));
}

}  // namespace

FileKind KindOf(const std::string& path) {
  const auto native = posix::MapPath(path);
  if (!native) return FileKind::kMissing;
  struct stat st;
  if (stat(native->c_str(), &st) != 0) {
    FailErrno(errno, *native);
    return FileKind::kMissing;
  }
  if (S_ISREG(st.st_mode)) return FileKind::kRegular;
  return S_ISDIR(st.st_mode) ? FileKind::kFolder : FileKind::kSpecial;
}

bool FileExists(const std::string& path) {
  auto attributes = Attributes(path);
  return attributes && !(*attributes & attr::kDirectory);
}

bool FolderExists(const std::string& path) {
  auto attributes = Attributes(path);
  return attributes && (*attributes & attr::kDirectory);
}

std::optional<uint32_t> Attributes(const std::string& path) {
  const auto native = posix::MapPath(path);
  if (!native) return std::nullopt;
  struct stat st;
  if (lstat(native->c_str(), &st) != 0) {
    FailErrno(errno, *native);
    return std::nullopt;
  }
  return AttributesOf(*native, st);
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
  const auto native = posix::MapPath(path);
  if (!native) return false;
  struct stat st;
  if (stat(native->c_str(), &st) != 0) return FailErrno(errno, *native);
  mode_t mode = st.st_mode & 07777;
  mode = (attributes & attr::kReadOnly) ? (mode & ~static_cast<mode_t>(0222)) : (mode | S_IWUSR);
  if (chmod(native->c_str(), mode) != 0) return FailErrno(errno, *native);
  return true;
}

bool DeleteFile(const std::string& path) {
  const auto native = posix::MapPath(path);
  if (!native) return false;
  struct stat st;
  if (lstat(native->c_str(), &st) != 0) return FailErrno(errno, *native);
  if (S_ISDIR(st.st_mode)) return Fail(err::kAccessDenied);
  if (!S_ISLNK(st.st_mode)) {
    if (!(st.st_mode & S_IWUSR)) return Fail(err::kAccessDenied);
    if (!posix::OpenersAllow(st.st_dev, st.st_ino, kShareDelete)) return Fail(err::kSharingViolation);
  }
  if (InjectFault(FaultOp::kDelete)) return false;
  if (unlink(native->c_str()) != 0) return FailErrno(errno, *native);
  return true;
}

bool MoveFile(const std::string& from, const std::string& to, bool replace) {
  const auto source = posix::MapPath(from);
  if (!source) return false;
  struct stat src;
  if (lstat(source->c_str(), &src) != 0) return FailErrno(errno, *source);
  if (!S_ISLNK(src.st_mode) && !S_ISDIR(src.st_mode) && !posix::OpenersAllow(src.st_dev, src.st_ino, kShareDelete)) {
    return Fail(err::kSharingViolation);
  }
  auto target = posix::MapPath(to);
  if (!target) return false;
  struct stat dst;
  if (lstat(target->c_str(), &dst) == 0) {
    if (dst.st_dev == src.st_dev && dst.st_ino == src.st_ino) {
      // The same entry under another letter case: rename it to the case given.
      target = posix::MapPathKeepLast(to);
      if (!target) return false;
      if (*target == *source) return true;
    } else {
      if (!replace) return Fail(err::kAlreadyExists);
      if (S_ISDIR(dst.st_mode) || S_ISDIR(src.st_mode)) return Fail(err::kAccessDenied);
      if (!S_ISLNK(dst.st_mode) &&
          (!(dst.st_mode & S_IWUSR) || !posix::OpenersAllow(dst.st_dev, dst.st_ino, kShareDelete))) {
        return Fail(err::kAccessDenied);
      }
    }
  }
  if (InjectFault(FaultOp::kRename)) return false;
  if (rename(source->c_str(), target->c_str()) == 0) return true;
  if (errno != EXDEV) return FailErrno(errno, *target);
  if (!S_ISREG(src.st_mode)) return Fail(17);  // ERROR_NOT_SAME_DEVICE
  if (!CopyContents(*source, *target)) return false;
  if (unlink(source->c_str()) != 0) return FailErrno(errno, *source);
  return true;
}

bool CopyFile(const std::string& from, const std::string& to, bool fail_if_exists) {
  const auto source = posix::MapPath(from);
  if (!source) return false;
  struct stat src;
  if (stat(source->c_str(), &src) != 0) return FailErrno(errno, *source);
  if (S_ISDIR(src.st_mode)) return Fail(err::kAccessDenied);
  if (!S_ISREG(src.st_mode)) return Fail(err::kCantAccessFile);  // opening a FIFO would wait for a writer
  if (!posix::OpenersAllow(src.st_dev, src.st_ino, kShareRead)) return Fail(err::kSharingViolation);
  const auto target = posix::MapPath(to);
  if (!target) return false;
  // An existing target is replaced by a new file: deleted first (a link as a link, so that a link,
  // hard or symbolic, never carries the copy anywhere), then created. A name that leads to a FIFO,
  // a device or a socket is refused, as every open refuses it.
  struct stat dst;
  if (lstat(target->c_str(), &dst) == 0) {
    if (fail_if_exists) return Fail(err::kFileExists);
    if (S_ISDIR(dst.st_mode)) return Fail(err::kAccessDenied);
    struct stat led;
    if (stat(target->c_str(), &led) == 0 && !S_ISREG(led.st_mode) && !S_ISDIR(led.st_mode)) {
      return Fail(err::kCantAccessFile);
    }
    if (!S_ISLNK(dst.st_mode)) {
      if (!(dst.st_mode & S_IWUSR)) return Fail(err::kAccessDenied);
      if (dst.st_dev == src.st_dev && dst.st_ino == src.st_ino) return Fail(err::kSharingViolation);
      if (!posix::OpenersAllow(dst.st_dev, dst.st_ino, kShareDelete)) return Fail(err::kSharingViolation);
    }
    if (unlink(target->c_str()) != 0) return FailErrno(errno, *target);
  }
  return CopyContents(*source, *target);
}

bool CreateFolder(const std::string& path) {
  const auto native = posix::MapPath(path);
  if (!native) return false;
  if (InjectFault(FaultOp::kCreate)) return false;
  if (mkdir(native->c_str(), 0777) != 0) {
    const int e = errno;
    if (e == EEXIST) return Fail(err::kAlreadyExists);
    if (e == ENOENT || e == ENOTDIR) return Fail(err::kPathNotFound);
    return FailErrno(e, *native);
  }
  return true;
}

bool CreateFolderTree(const std::string& path) {
  if (FolderExists(path)) return true;
  if (IsRoot(path)) return false;  // a root that does not exist: the drive's error is set
  const std::string parent = ParentOf(path);
  if (!IsRoot(parent) && !FolderExists(parent) && !CreateFolderTree(parent)) return false;
  if (CreateFolder(path)) return true;
  return LastError() == err::kAlreadyExists && FolderExists(path);
}

bool RemoveFolder(const std::string& path) {
  const auto native = posix::MapPath(path);
  if (!native) return false;
  struct stat st;
  if (lstat(native->c_str(), &st) != 0) return FailErrno(errno, *native);
  if (InjectFault(FaultOp::kDelete)) return false;
  if (S_ISLNK(st.st_mode)) {
    struct stat target;
    if (stat(native->c_str(), &target) != 0 || !S_ISDIR(target.st_mode)) return Fail(kErrorDirectory);
    if (unlink(native->c_str()) != 0) return FailErrno(errno, *native);
    return true;
  }
  if (!S_ISDIR(st.st_mode)) return Fail(kErrorDirectory);
  if (rmdir(native->c_str()) != 0) {
    const int e = errno;
    if (e == ENOTEMPTY || e == EEXIST) return Fail(err::kDirNotEmpty);
    return FailErrno(e, *native);
  }
  return true;
}

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder, const std::string& pattern) {
  const auto native = posix::MapPath(folder);
  if (!native) return std::nullopt;
  DIR* dir = opendir(native->c_str());
  if (!dir) {
    const int e = errno;
    SetLastError((e == ENOENT || e == ENOTDIR) ? err::kPathNotFound : posix::WinError(e));
    return std::nullopt;
  }
  const std::u16string folded_pattern = FoldedUnits(pattern);
  std::vector<std::pair<std::u16string, FolderEntry>> found;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (!MatchesPattern(folded_pattern, name)) continue;
    const std::string entry_path = (*native == "/" ? std::string() : *native) + "/" + name;
    struct stat st;
    if (lstat(entry_path.c_str(), &st) != 0) continue;  // vanished meanwhile
    FolderEntry item;
    item.name = name;
    item.attributes = AttributesOf(entry_path, st);
    item.size = (S_ISREG(st.st_mode)) ? static_cast<uint64_t>(st.st_size) : 0;
    item.dos_time = DosTime(st.st_mtime).value_or(0);
    // "." and ".." first, then the order of upper-cased names, as NTFS lists them.
    std::u16string key = (name == ".") ? u"" : (name == "..") ? std::u16string(1, u'\0') : u"\1" + FoldedUnits(name);
    found.emplace_back(std::move(key), std::move(item));
  }
  closedir(dir);
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second.name < b.second.name;
  });
  std::vector<FolderEntry> entries;
  entries.reserve(found.size());
  for (auto& [key, item] : found) entries.push_back(std::move(item));
  return entries;
}

std::optional<uint32_t> FileDosTime(const std::string& path) {
  const auto native = posix::MapPath(path);
  if (!native) return std::nullopt;
  struct stat st;
  if (stat(native->c_str(), &st) != 0) {
    FailErrno(errno, *native);
    return std::nullopt;
  }
  return DosTime(st.st_mtime);
}

std::optional<uint64_t> FileCreationTime(const std::string& path) {
  const auto native = posix::MapPath(path);
  if (!native) return std::nullopt;
  constexpr int64_t kEpochDifference = 11644473600;  // seconds from 1601-01-01 to 1970-01-01
  int64_t seconds;
  int64_t nanoseconds;
  struct statx sx;
  if (statx(AT_FDCWD, native->c_str(), 0, STATX_BTIME | STATX_CTIME, &sx) == 0) {
    const bool birth = sx.stx_mask & STATX_BTIME;
    seconds = birth ? sx.stx_btime.tv_sec : sx.stx_ctime.tv_sec;
    nanoseconds = birth ? sx.stx_btime.tv_nsec : sx.stx_ctime.tv_nsec;
  } else {
    struct stat st;
    if (stat(native->c_str(), &st) != 0) {
      FailErrno(errno, *native);
      return std::nullopt;
    }
    seconds = st.st_ctim.tv_sec;
    nanoseconds = st.st_ctim.tv_nsec;
  }
  return static_cast<uint64_t>((seconds + kEpochDifference) * 10000000 + nanoseconds / 100);
}

std::string ProgramPath() {
  char buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  return posix::WindowsForm(std::string(buffer, static_cast<size_t>(n)));
}

std::string ProgramFolder() {
  char buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  std::string exe(buffer, static_cast<size_t>(n));
  const size_t slash = exe.find_last_of('/');
  exe.resize(slash == 0 ? 1 : slash);
  return posix::WindowsForm(exe);
}

std::string WindowsFolder() { return CurrentConfig().windows_folder; }

std::string TempFolder() {
  const char* tmpdir = std::getenv("TMPDIR");
  std::string folder = tmpdir != nullptr && tmpdir[0] == '/' ? tmpdir : "/tmp";
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return posix::WindowsForm(folder);
}

}  // namespace tlx::platform
