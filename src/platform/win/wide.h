// Helpers of the Win32 platform layer: UTF-8 <-> UTF-16 at the API boundary, keeping the last error
// across clean-up, and owned kernel handles.
#pragma once
#include <windows.h>
// windows.h turns these names into macros; the platform interface uses them as plain names.
#undef DeleteFile
#undef MoveFile
#undef CopyFile
#undef GetDriveType

#include <optional>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace tlx::platform::win {

// UTF-8 -> UTF-16 for a wide Win32 call. nullopt (LastError ERROR_INVALID_NAME) on invalid UTF-8.
inline std::optional<std::wstring> Wide(std::string_view utf8) {
  std::optional<std::u16string> u16 = Utf8ToUtf16(utf8);
  if (!u16) {
    ::SetLastError(ERROR_INVALID_NAME);
    return std::nullopt;
  }
  return std::wstring(u16->begin(), u16->end());
}

// UTF-16 from the system -> UTF-8. An unpaired surrogate (possible in NTFS names) becomes U+FFFD.
inline std::string Narrow(std::wstring_view wide) {
  std::u16string u16(wide.begin(), wide.end());
  for (size_t i = 0; i < u16.size(); ++i) {
    char16_t c = u16[i];
    bool high = c >= 0xD800 && c <= 0xDBFF;
    if (high && i + 1 < u16.size() && u16[i + 1] >= 0xDC00 && u16[i + 1] <= 0xDFFF) {
      ++i;  // a proper pair
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      u16[i] = 0xFFFD;
    }
  }
  return Utf16ToUtf8(u16).value_or(std::string());
}

// Restores the calling thread's last error on destruction, so clean-up calls cannot overwrite the
// error the caller is about to read.
class KeepLastError {
 public:
  KeepLastError() : code_(::GetLastError()) {}
  ~KeepLastError() { ::SetLastError(code_); }
  KeepLastError(const KeepLastError&) = delete;
  KeepLastError& operator=(const KeepLastError&) = delete;
  // Replaces the error to restore (a clean-up failure that the caller must see).
  void set(DWORD code) { code_ = code; }

 private:
  DWORD code_;
};

// A kernel handle closed on destruction (last error kept). Move-only.
class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() { reset(); }
  Handle(Handle&& other) noexcept : h_(other.release()) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      reset();
      h_ = other.release();
    }
    return *this;
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }
  [[nodiscard]] HANDLE release() {
    HANDLE h = h_;
    h_ = nullptr;
    return h;
  }
  void reset() {
    if (valid()) {
      KeepLastError keep;
      ::CloseHandle(h_);
    }
    h_ = nullptr;
  }

 private:
  HANDLE h_ = nullptr;
};

}  // namespace tlx::platform::win
