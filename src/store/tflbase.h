// The framework's second file class: one file with numbered open modes 0..5, status flags, the
// last error, and a choice between raising TZExcept and showing the file layer's message box.
// Never raises unless flag kFlRaise is set; callers test the results and LastErr().
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file.h"

namespace tlx::store {

// Flag bits of TFLBase (stable values).
inline constexpr uint8_t kFlRaise = 0x01;     // raise errors as TZExcept instead of showing them
inline constexpr uint8_t kFlEof = 0x02;       // the last counted read returned no bytes
inline constexpr uint8_t kFlError = 0x04;     // an error occurred
inline constexpr uint8_t kFlExisted = 0x08;   // the file existed when opened
inline constexpr uint8_t kFlOpen = 0x10;      // open
inline constexpr uint8_t kFlAttached = 0x20;  // the handle came from Attach

// Mode value of a closed file.
inline constexpr uint8_t kFlClosedMode = 9;
// Longest name plus one, in characters: names of this many characters or more are refused.
inline constexpr std::size_t kFlNameBuffer = 260;

class TFLBase {
 public:
  TFLBase() = default;
  virtual ~TFLBase();
  TFLBase(const TFLBase&) = delete;
  TFLBase& operator=(const TFLBase&) = delete;

  // Opens `name` in mode 0 (read), 2 (create new, asking before replacing), 3 (create always),
  // 4 (read/write, created when missing, positioned at the end) or 5 (read/write existing).
  // False after reporting: 51 no name or one of 260 characters or more, 50 bad mode, 52 missing
  // file, or a system error; false without a report when the user refuses to replace a file.
  bool Open(std::string_view name, uint8_t mode);
  // Uses `handle` (owned from now on) after closing an own open handle.
  void Attach(platform::File handle);

  // Bytes transferred; 0 after an error. A read that returns nothing sets kFlEof. A count of 0
  // does nothing: no check, no report, the position stays.
  uint32_t Read(void* buffer, uint32_t count);
  uint32_t Write(const void* buffer, uint32_t count);
  uint32_t ReadAt(int64_t position, void* buffer, uint32_t count);
  // Position -1 appends at the end.
  uint32_t WriteAt(int64_t position, const void* buffer, uint32_t count);
  // Positions and sizes; 0 on a closed file (without a report) or after a reported error.
  int64_t Seek(int64_t distance, platform::Origin origin);
  int64_t SeekEnd();
  int64_t Rewind();
  int64_t Tell();
  int64_t Size();
  bool Flush();
  // Closes the handle, clears flags and error, empties the name; both modes become 9.
  void Close();

  // The error routine: records 0xE4000000 + code (code 0: the system's last error), sets kFlError,
  // then raises TZExcept when kFlRaise is set, else shows the file layer's box. Returns the error.
  uint32_t Error(uint32_t code);

  uint8_t Flags() const { return flags_; }
  void SetRaise(bool raise) { flags_ = raise ? (flags_ | kFlRaise) : (flags_ & ~kFlRaise); }
  uint32_t LastErr() const { return last_error_; }
  const std::string& Name() const { return name_; }
  uint8_t Mode() const { return mode_; }
  uint8_t EffectiveMode() const { return effective_mode_; }

 private:
  bool CanRead() const;
  bool CanWrite() const;
  // Open and opened for the direction; otherwise reports 53, 58 or 59 and returns false.
  bool Ready(bool write);

  std::string name_;
  platform::File file_;
  uint8_t mode_ = kFlClosedMode;
  uint8_t effective_mode_ = kFlClosedMode;
  uint8_t flags_ = 0;
  uint32_t last_error_ = 0;
  platform::Access access_ = platform::Access::Read;
  uint8_t share_ = platform::kShareRead;
  platform::Disposition disposition_ = platform::Disposition::OpenExisting;
};

// The plain descendant, adding nothing.
class TSFile : public TFLBase {};

}  // namespace tlx::store
