// One open operating-system file: move-only owner of the handle, 64-bit positions, Windows error codes.
#pragma once
#include <cstdint>
#include <string>

namespace tlx::platform {

enum class Access : uint8_t { Read = 1, Write = 2, ReadWrite = 3 };

// Sharing granted to other openers, as Windows' FILE_SHARE_* bits.
enum Share : uint8_t { kShareNone = 0, kShareRead = 1, kShareWrite = 2, kShareDelete = 4 };

// Creation dispositions with Windows' values (CREATE_NEW = 1 ... TRUNCATE_EXISTING = 5).
enum class Disposition : uint8_t {
  CreateNew = 1,
  CreateAlways = 2,
  OpenExisting = 3,
  OpenAlways = 4,
  TruncateExisting = 5,
};

enum class Origin : uint8_t { Begin = 0, Current = 1, End = 2 };

struct OpenOptions {
  Access access = Access::Read;
  uint8_t share = kShareRead | kShareWrite;
  Disposition disposition = Disposition::OpenExisting;
  bool sequential_scan = false;  // FILE_FLAG_SEQUENTIAL_SCAN hint
};

// A file handle. Every operation returns false (or -1) on failure and leaves the error in LastError();
// the error survives Close() and destruction.
class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens or creates `path` (UTF-8, drive-letter form allowed). Returns an invalid File on failure.
  static File Open(const std::string& path, const OpenOptions& options);

  bool valid() const { return handle_ != kInvalid; }
  // Reads up to `count` bytes; `*done` gets the number read (0 at end of file).
  bool Read(void* buffer, uint32_t count, uint32_t* done);
  bool Write(const void* buffer, uint32_t count, uint32_t* done);
  // Moves the position; `*position` (optional) gets the new absolute position.
  bool Seek(int64_t distance, Origin origin, int64_t* position = nullptr);
  int64_t Tell();           // -1 on failure
  int64_t Size();           // -1 on failure
  bool Flush();
  bool SetEnd();            // cuts or extends the file at the current position
  // Makes room on the disk for the first `size` bytes before they are written, so that a full disk
  // is this call's error (112) and never a later write's; a shorter file grows to `size` (the new
  // bytes read as zeros). The position stays.
  bool Reserve(uint64_t size);
  bool Close();

  // The native handle (HANDLE or fd), for the platform layer's own use.
  intptr_t native() const { return handle_; }
  // Gives up ownership without closing.
  [[nodiscard]] intptr_t release();
  // Takes ownership of a native handle.
  static File Adopt(intptr_t native);

 private:
  static constexpr intptr_t kInvalid = -1;
  explicit File(intptr_t handle) : handle_(handle) {}
  intptr_t handle_ = kInvalid;
};

}  // namespace tlx::platform
