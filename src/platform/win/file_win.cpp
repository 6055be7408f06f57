#include "platform/file.h"

#include "platform/win/wide.h"

namespace tlx::platform {

namespace {
HANDLE H(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

DWORD AccessBits(Access access) {
  DWORD bits = 0;
  if (static_cast<uint8_t>(access) & static_cast<uint8_t>(Access::Read)) bits |= GENERIC_READ;
  if (static_cast<uint8_t>(access) & static_cast<uint8_t>(Access::Write)) bits |= GENERIC_WRITE;
  return bits;
}
}  // namespace

File::~File() {
  win::KeepLastError keep;
  Close();
}

File::File(File&& other) noexcept : handle_(other.release()) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    {
      win::KeepLastError keep;
      Close();
    }
    handle_ = other.release();
  }
  return *this;
}

File File::Open(const std::string& path, const OpenOptions& options) {
  std::optional<std::wstring> wide = win::Wide(path);
  if (!wide) return File();
  DWORD flags = FILE_ATTRIBUTE_NORMAL;
  if (options.sequential_scan) flags |= FILE_FLAG_SEQUENTIAL_SCAN;
  HANDLE h = ::CreateFileW(wide->c_str(), AccessBits(options.access), options.share, nullptr,
                           static_cast<DWORD>(options.disposition), flags, nullptr);
  if (h == INVALID_HANDLE_VALUE) return File();
  return File(reinterpret_cast<intptr_t>(h));
}

bool File::Read(void* buffer, uint32_t count, uint32_t* done) {
  DWORD got = 0;
  BOOL ok = ::ReadFile(H(handle_), buffer, count, &got, nullptr);
  if (done) *done = got;
  return ok != FALSE;
}

bool File::Write(const void* buffer, uint32_t count, uint32_t* done) {
  DWORD put = 0;
  BOOL ok = ::WriteFile(H(handle_), buffer, count, &put, nullptr);
  if (done) *done = put;
  return ok != FALSE;
}

bool File::Seek(int64_t distance, Origin origin, int64_t* position) {
  LARGE_INTEGER move;
  move.QuadPart = distance;
  LARGE_INTEGER now;
  if (!::SetFilePointerEx(H(handle_), move, &now, static_cast<DWORD>(origin))) return false;
  if (position) *position = now.QuadPart;
  return true;
}

int64_t File::Tell() {
  int64_t position = -1;
  return Seek(0, Origin::Current, &position) ? position : -1;
}

int64_t File::Size() {
  LARGE_INTEGER size;
  return ::GetFileSizeEx(H(handle_), &size) ? size.QuadPart : -1;
}

bool File::Flush() { return ::FlushFileBuffers(H(handle_)) != FALSE; }

bool File::SetEnd() { return ::SetEndOfFile(H(handle_)) != FALSE; }

bool File::Reserve(uint64_t size) {
  // The allocation reserves the clusters; the end of file then covers them, as on POSIX.
  FILE_ALLOCATION_INFO allocation{};
  allocation.AllocationSize.QuadPart = static_cast<LONGLONG>(size);
  if (!::SetFileInformationByHandle(H(handle_), FileAllocationInfo, &allocation, sizeof allocation)) return false;
  const int64_t length = Size();
  if (length < 0) return false;
  if (static_cast<uint64_t>(length) >= size) return true;
  const int64_t position = Tell();
  if (position < 0 || !Seek(static_cast<int64_t>(size), Origin::Begin) || !SetEnd()) return false;
  return Seek(position, Origin::Begin);
}

bool File::Close() {
  if (!valid()) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  win::KeepLastError keep;
  bool ok = ::CloseHandle(H(release())) != FALSE;
  if (!ok) keep.set(::GetLastError());
  return ok;
}

intptr_t File::release() {
  intptr_t h = handle_;
  handle_ = kInvalid;
  return h;
}

File File::Adopt(intptr_t native) { return File(native); }

}  // namespace tlx::platform
