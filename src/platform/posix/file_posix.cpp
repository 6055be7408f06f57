// Files with Windows semantics on POSIX: creation dispositions, the read-only attribute, and the
// sharing modes of every file this process holds open (kept in one table, by device and inode).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <limits>
#include <map>
#include <mutex>

#include "platform/error.h"
#include "platform/fault_injection.h"
#include "platform/file.h"
#include "platform/posix/posix_internal.h"

namespace tlx::platform {

namespace {

struct Opener {
  dev_t dev;
  ino_t ino;
  uint8_t access;
  uint8_t share;
};

std::mutex table_mutex;
std::map<intptr_t, Opener>& OpenTable() {
  static std::map<intptr_t, Opener> table;
  return table;
}

bool Allows(uint8_t share, uint8_t access) {
  const bool read = access & static_cast<uint8_t>(Access::Read);
  const bool write = access & static_cast<uint8_t>(Access::Write);
  return !(read && !(share & kShareRead)) && !(write && !(share & kShareWrite));
}

// Registers `fd`; false when an earlier open of the same file forbids this one or this one's
// sharing forbids an earlier open (Windows' rule, both ways).
bool Register(intptr_t fd, const struct stat& st, uint8_t access, uint8_t share) {
  std::lock_guard lock(table_mutex);
  for (const auto& [other_fd, other] : OpenTable()) {
    if (other.dev != st.st_dev || other.ino != st.st_ino) continue;
    if (!Allows(other.share, access) || !Allows(share, other.access)) return false;
  }
  OpenTable()[fd] = Opener{st.st_dev, st.st_ino, access, share};
  return true;
}

void Unregister(intptr_t fd) {
  std::lock_guard lock(table_mutex);
  OpenTable().erase(fd);
}

bool Fail(int errno_value) {
  posix::SetErrnoError(errno_value);
  return false;
}

}  // namespace

namespace posix {
namespace {
std::atomic<bool> sharing_ended{false};
}  // namespace

void EndSharing() { sharing_ended = true; }

bool OpenersAllow(dev_t dev, ino_t ino, uint8_t share) {
  if (sharing_ended) return true;
  std::lock_guard lock(table_mutex);
  for (const auto& [fd, opener] : OpenTable()) {
    if (opener.dev == dev && opener.ino == ino && (opener.share & share) != share) return false;
  }
  return true;
}
}  // namespace posix

File::~File() {
  if (valid()) {
    const uint32_t saved = LastError();
    Close();
    SetLastError(saved);
  }
}

File::File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = kInvalid; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (valid()) {
      const uint32_t saved = LastError();
      Close();
      SetLastError(saved);
    }
    handle_ = other.handle_;
    other.handle_ = kInvalid;
  }
  return *this;
}

File File::Open(const std::string& path, const OpenOptions& options) {
  const std::optional<std::string> native = posix::MapPath(path);
  if (!native) return File();
  const uint8_t access = static_cast<uint8_t>(options.access);
  const bool write = access & static_cast<uint8_t>(Access::Write);

  struct stat before;
  const bool existed = stat(native->c_str(), &before) == 0;
  if (existed && S_ISDIR(before.st_mode)) {
    SetLastError(err::kAccessDenied);
    return File();
  }
  // Only regular files: a FIFO would hold the open (or every read) until another program writes,
  // a device never ends (/dev/zero) or swallows everything (/dev/null).
  if (existed && !S_ISREG(before.st_mode)) {
    SetLastError(err::kCantAccessFile);
    return File();
  }
  int flags = O_CLOEXEC | O_NONBLOCK;  // a FIFO put in its place meanwhile must not block the open
  flags |= (access == static_cast<uint8_t>(Access::ReadWrite)) ? O_RDWR : write ? O_WRONLY : O_RDONLY;
  bool truncate = false;
  switch (options.disposition) {
    case Disposition::CreateNew:
      flags |= O_CREAT | O_EXCL;
      break;
    case Disposition::CreateAlways:
      flags |= O_CREAT;
      truncate = existed;
      break;
    case Disposition::OpenExisting:
      break;
    case Disposition::OpenAlways:
      flags |= O_CREAT;
      break;
    case Disposition::TruncateExisting:
      if (!write) {
        SetLastError(err::kInvalidParameter);
        return File();
      }
      truncate = true;
      break;
    default:
      SetLastError(err::kInvalidParameter);
      return File();
  }
  // The read-only attribute binds every user, the super-user included, as on Windows.
  if (existed && !(before.st_mode & S_IWUSR) && (write || truncate) &&
      options.disposition != Disposition::CreateNew) {
    SetLastError(err::kAccessDenied);
    return File();
  }
  const bool creates = options.disposition != Disposition::OpenExisting;
  if (creates && InjectFault(FaultOp::kCreate)) return File();
  const int fd = open(native->c_str(), flags, 0666);
  if (fd < 0) {
    posix::SetErrnoError(errno, *native);
    return File();
  }
  struct stat st;
  if (fstat(fd, &st) != 0) {
    const int e = errno;
    close(fd);
    posix::SetErrnoError(e);
    return File();
  }
  if (!S_ISREG(st.st_mode)) {
    close(fd);
    SetLastError(S_ISDIR(st.st_mode) ? err::kAccessDenied : err::kCantAccessFile);
    return File();
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (!Register(fd, st, access, options.share)) {
    close(fd);
    SetLastError(err::kSharingViolation);
    return File();
  }
  // Cut only once the sharing check passed: a refused open leaves the file alone.
  if (truncate && st.st_size > 0 && truncate64(native->c_str(), 0) != 0) {
    const int e = errno;
    Unregister(fd);
    close(fd);
    posix::SetErrnoError(e);
    return File();
  }
  if (options.sequential_scan) posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  const bool reports_existing =
      existed && (options.disposition == Disposition::CreateAlways || options.disposition == Disposition::OpenAlways);
  SetLastError(reports_existing ? err::kAlreadyExists : err::kSuccess);
  return File(fd);
}

namespace {
// Reads or writes until `count` bytes moved (a read also stops at the end of the file), as ReadFile
// and WriteFile do for disk files. EBADF means the handle lacks that access: Windows says 5.
template <typename Op>
bool Transfer(intptr_t handle, char* buffer, uint32_t count, uint32_t* done, bool stop_at_zero, Op op) {
  if (done) *done = 0;
  if (handle < 0) {
    SetLastError(err::kInvalidHandle);
    return false;
  }
  uint32_t total = 0;
  while (total < count) {
    const ssize_t n = op(static_cast<int>(handle), buffer + total, count - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (done) *done = total;
      return Fail(errno == EBADF ? EACCES : errno);
    }
    if (n == 0 && stop_at_zero) break;
    total += static_cast<uint32_t>(n);
  }
  if (done) *done = total;
  return true;
}
}  // namespace

bool File::Read(void* buffer, uint32_t count, uint32_t* done) {
  return Transfer(handle_, static_cast<char*>(buffer), count, done, true,
                  [](int fd, char* at, size_t n) { return read(fd, at, n); });
}

bool File::Write(const void* buffer, uint32_t count, uint32_t* done) {
  if (valid() && InjectFault(FaultOp::kWrite)) {
    if (done) *done = 0;
    return false;
  }
  return Transfer(handle_, const_cast<char*>(static_cast<const char*>(buffer)), count, done, false,
                  [](int fd, char* at, size_t n) { return write(fd, at, n); });
}

bool File::Seek(int64_t distance, Origin origin, int64_t* position) {
  if (!valid()) {
    SetLastError(err::kInvalidHandle);
    return false;
  }
  int64_t base = 0;
  if (origin == Origin::Current) {
    base = lseek64(static_cast<int>(handle_), 0, SEEK_CUR);
  } else if (origin == Origin::End) {
    base = Size();
  } else if (origin != Origin::Begin) {
    SetLastError(err::kInvalidParameter);
    return false;
  }
  if (base < 0) return Fail(errno);
  if ((distance < 0 && base + distance < 0)) {
    SetLastError(err::kNegativeSeek);
    return false;
  }
  const int64_t result = lseek64(static_cast<int>(handle_), base + distance, SEEK_SET);
  if (result < 0) return Fail(errno);
  if (position) *position = result;
  return true;
}

int64_t File::Tell() {
  int64_t position = -1;
  return Seek(0, Origin::Current, &position) ? position : -1;
}

int64_t File::Size() {
  if (!valid()) {
    SetLastError(err::kInvalidHandle);
    return -1;
  }
  struct stat st;
  if (fstat(static_cast<int>(handle_), &st) != 0) {
    Fail(errno);
    return -1;
  }
  return st.st_size;
}

bool File::Flush() {
  if (!valid()) {
    SetLastError(err::kInvalidHandle);
    return false;
  }
  if (InjectFault(FaultOp::kFlush)) return false;
  if (fsync(static_cast<int>(handle_)) != 0 && errno != EINVAL) return Fail(errno);
  return true;
}

bool File::SetEnd() {
  const int64_t position = Tell();
  if (position < 0) return false;
  if (InjectFault(FaultOp::kWrite)) return false;
  if (ftruncate64(static_cast<int>(handle_), position) != 0) return Fail(errno == EBADF ? EACCES : errno);
  return true;
}

bool File::Reserve(uint64_t size) {
  if (!valid()) {
    SetLastError(err::kInvalidHandle);
    return false;
  }
  if (InjectFault(FaultOp::kWrite)) return false;
  if (size == 0) return true;
  if (size > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return Fail(EFBIG);
  const int error = posix_fallocate64(static_cast<int>(handle_), 0, static_cast<off64_t>(size));
  if (error != 0) return Fail(error == EBADF ? EACCES : error);
  return true;
}

bool File::Close() {
  if (!valid()) {
    SetLastError(err::kInvalidHandle);
    return false;
  }
  const intptr_t fd = handle_;
  handle_ = kInvalid;
  Unregister(fd);
  if (close(static_cast<int>(fd)) != 0) return Fail(errno);
  return true;
}

intptr_t File::release() {
  const intptr_t fd = handle_;
  handle_ = kInvalid;
  if (fd != kInvalid) Unregister(fd);  // its sharing is no longer ours to enforce
  return fd;
}

File File::Adopt(intptr_t native) { return File(native); }

}  // namespace tlx::platform
