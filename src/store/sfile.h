// One open file of the suite's file layer: four fixed open modes, the name resolved through the
// path aliases, and failures raised as ZError (number and the resolved file name).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file.h"

namespace tlx::store {

// Open modes of SFile (stable values).
enum SFileMode : uint8_t {
  kSFileRead = 1,           // read an existing file
  kSFileCreateAsk = 2,      // create for writing; an existing file is replaced only if the user agrees
  kSFileCreateReplace = 3,  // create for writing; an existing file is replaced without asking
  kSFileReadWrite = 4,      // read and write an existing file
};

// ZError numbers raised by SFile.
inline constexpr int32_t kMsgFileMissing = 1;      // "Файл $ не существует"
inline constexpr int32_t kMsgReadFromWriter = 17;  // read from a file opened for writing
inline constexpr int32_t kMsgWriteToReader = 18;   // write to a file opened for reading

class SFile {
 public:
  // Opens `name` (passed through ResolveName) in `mode`. Every mode shares reading and writing with
  // other openers and gives the sequential-scan hint. Raises ZError 1 when a file that must exist
  // is missing, ZError 999 when the user refuses to replace a file (mode 2; the file is untouched),
  // ZError 0 without text for an unknown mode, and RaiseSysError(name) for other system failures.
  // Modes 2 and 3 delete an existing file (a link as a link) and create a new one, never writing
  // into the old file; a file that cannot be deleted is the system error of the deletion.
  SFile(std::string_view name, uint8_t mode);
  ~SFile() = default;  // the platform file closes its handle
  SFile(SFile&&) noexcept = default;
  SFile& operator=(SFile&&) noexcept = default;
  SFile(const SFile&) = delete;
  SFile& operator=(const SFile&) = delete;

  // Reads up to `count` bytes; returns the number read (0 at the end). ZError 17 in modes 2 and 3.
  uint32_t Read(void* buffer, uint32_t count);
  // Writes `count` bytes; returns the number written. ZError 18 in mode 1.
  uint32_t Write(const void* buffer, uint32_t count);
  // Writes `text` followed by CR LF. ZError 18 in mode 1.
  void WriteLine(std::string_view text);
  // Moves to `position` from the start / by `distance` from `origin`; returns the new position.
  int64_t Seek(int64_t position);
  int64_t Seek(int64_t distance, platform::Origin origin);
  int64_t Tell();
  int64_t Size();
  // Flushes the system's buffers to the disk.
  void Flush();
  // Cuts the file at the current position. ZError 18 in mode 1.
  void SetEnd();
  // Closes the handle now (destruction does it otherwise). Raises on a failed close.
  void Close();

  bool IsOpen() const { return file_.valid(); }
  const std::string& Name() const { return name_; }
  uint8_t Mode() const { return mode_; }

 private:
  [[noreturn]] void Fail() const;
  void CheckOpen() const;

  std::string name_;
  platform::File file_;
  uint8_t mode_;
};

// Reads up to `limit` bytes from the current position of `file` (fewer at its end). Raises the
// file's read errors.
std::vector<uint8_t> ReadUpTo(SFile& file, uint32_t limit);

}  // namespace tlx::store
