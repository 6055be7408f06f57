// Memory-mapped files on POSIX: mmap of whole files, shared read/write views, anonymous memory.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/error.h"
#include "platform/fault_injection.h"
#include "platform/mapping.h"
#include "platform/posix/posix_internal.h"

namespace tlx::platform {

namespace {
// Closes `fd` after a failed step, keeping that step's error.
void FailAndClose(int fd, int errno_value) {
  close(fd);
  posix::SetErrnoError(errno_value);
}

// Maps `size` bytes of `fd` (nothing for 0 bytes); MAP_FAILED after closing `fd` on failure.
void* MapOrClose(int fd, uint64_t size, int protection, int flags) {
  if (size == 0) return nullptr;
  void* data = mmap(nullptr, static_cast<size_t>(size), protection, flags, fd, 0);
  if (data == MAP_FAILED) FailAndClose(fd, errno);
  return data;
}
}  // namespace

Mapping::~Mapping() {
  const uint32_t saved = LastError();
  Close();
  SetLastError(saved);
}

Mapping::Mapping(Mapping&& other) noexcept
    : valid_(other.valid_), data_(other.data_), size_(other.size_), file_(other.file_), section_(other.section_) {
  other.valid_ = false;
  other.data_ = nullptr;
  other.size_ = 0;
  other.file_ = -1;
  other.section_ = 0;
}

Mapping& Mapping::operator=(Mapping&& other) noexcept {
  if (this != &other) {
    const uint32_t saved = LastError();
    Close();
    SetLastError(saved);
    valid_ = other.valid_;
    data_ = other.data_;
    size_ = other.size_;
    file_ = other.file_;
    section_ = other.section_;
    other.valid_ = false;
    other.data_ = nullptr;
    other.size_ = 0;
    other.file_ = -1;
    other.section_ = 0;
  }
  return *this;
}

Mapping Mapping::OpenReadOnly(const std::string& path) {
  Mapping m;
  const auto native = posix::MapPath(path);
  if (!native) return m;
  if (InjectFault(FaultOp::kMap)) return m;
  struct stat before;
  if (stat(native->c_str(), &before) == 0 && !S_ISREG(before.st_mode) && !S_ISDIR(before.st_mode)) {
    SetLastError(err::kCantAccessFile);  // a socket cannot even be opened, a FIFO would wait
    return m;
  }
  const int fd = open(native->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);  // a FIFO must not block
  if (fd < 0) {
    posix::SetErrnoError(errno, *native);
    return m;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    FailAndClose(fd, S_ISDIR(st.st_mode) ? EACCES : errno);
    return m;
  }
  if (!S_ISREG(st.st_mode)) {  // a device's size says nothing of what a mapping would read
    close(fd);
    SetLastError(err::kCantAccessFile);
    return m;
  }
  void* data = MapOrClose(fd, static_cast<uint64_t>(st.st_size), PROT_READ, MAP_PRIVATE);
  if (data == MAP_FAILED) return m;
  m.data_ = static_cast<uint8_t*>(data);
  m.size_ = static_cast<uint64_t>(st.st_size);
  m.file_ = fd;
  m.valid_ = true;
  return m;
}

Mapping Mapping::CreateReadWrite(const std::string& path, uint64_t size) {
  Mapping m;
  const auto native = posix::MapPath(path);
  if (!native) return m;
  // An existing file (or a link, as a link) goes first and a new file takes its name; a name that
  // leads to a FIFO, a device or a socket is refused, as every open refuses it.
  struct stat st;
  if (lstat(native->c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR))) {
      SetLastError(err::kAccessDenied);
      return m;
    }
    struct stat led;
    if (stat(native->c_str(), &led) == 0 && !S_ISREG(led.st_mode) && !S_ISDIR(led.st_mode)) {
      SetLastError(err::kCantAccessFile);
      return m;
    }
    if (unlink(native->c_str()) != 0) {
      posix::SetErrnoError(errno, *native);
      return m;
    }
  }
  if (InjectFault(FaultOp::kCreate) || InjectFault(FaultOp::kMap)) return m;
  const int fd = open(native->c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) {
    posix::SetErrnoError(errno, *native);
    return m;
  }
  if (ftruncate64(fd, static_cast<off64_t>(size)) != 0) {
    FailAndClose(fd, errno);
    return m;
  }
  void* data = MapOrClose(fd, size, PROT_READ | PROT_WRITE, MAP_SHARED);
  if (data == MAP_FAILED) return m;
  m.data_ = static_cast<uint8_t*>(data);
  m.size_ = size;
  m.file_ = fd;
  m.valid_ = true;
  return m;
}

Mapping Mapping::Anonymous(uint64_t size) {
  Mapping m;
  if (InjectFault(FaultOp::kMap)) return m;
  if (size > 0) {
    void* data = mmap(nullptr, static_cast<size_t>(size), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (data == MAP_FAILED) {
      SetLastError(err::kNotEnoughMemory);
      return m;
    }
    m.data_ = static_cast<uint8_t*>(data);
  }
  m.size_ = size;
  m.valid_ = true;
  return m;
}

bool Mapping::Flush() {
  if (!valid_) {
    SetLastError(err::kInvalidHandle);
    return false;
  }
  if (file_ >= 0 && InjectFault(FaultOp::kFlush)) return false;
  if (data_ && file_ >= 0 && msync(data_, static_cast<size_t>(size_), MS_SYNC) != 0) {
    posix::SetErrnoError(errno);
    return false;
  }
  return true;
}

bool Mapping::Close() {
  if (!valid_) return true;
  bool ok = true;
  if (data_ && munmap(data_, static_cast<size_t>(size_)) != 0) {
    posix::SetErrnoError(errno);
    ok = false;
  }
  if (file_ >= 0 && close(static_cast<int>(file_)) != 0 && ok) {
    posix::SetErrnoError(errno);
    ok = false;
  }
  valid_ = false;
  data_ = nullptr;
  size_ = 0;
  file_ = -1;
  return ok;
}

}  // namespace tlx::platform
