// Last operating-system error, in Windows error numbering on every platform, and its message text.
#pragma once
#include <cstdint>
#include <string>

namespace tlx::platform {

// Windows error codes the program tests for by value. The POSIX layer maps errno onto these.
namespace err {
inline constexpr uint32_t kSuccess = 0;
inline constexpr uint32_t kFileNotFound = 2;
inline constexpr uint32_t kPathNotFound = 3;
inline constexpr uint32_t kAccessDenied = 5;
inline constexpr uint32_t kInvalidHandle = 6;
inline constexpr uint32_t kNotEnoughMemory = 8;
inline constexpr uint32_t kNotReady = 21;        // drive without medium
inline constexpr uint32_t kSharingViolation = 32;
inline constexpr uint32_t kHandleEof = 38;
inline constexpr uint32_t kFileExists = 80;
inline constexpr uint32_t kInvalidParameter = 87;
inline constexpr uint32_t kDiskFull = 112;
inline constexpr uint32_t kInvalidName = 123;
inline constexpr uint32_t kDirNotEmpty = 145;
inline constexpr uint32_t kAlreadyExists = 183;
inline constexpr uint32_t kFilenameTooLong = 206;
inline constexpr uint32_t kNoMoreFiles = 18;
inline constexpr uint32_t kNegativeSeek = 131;
inline constexpr uint32_t kCantAccessFile = 1920;  // a FIFO, device or socket where a file was expected
inline constexpr uint32_t kBadRegistry = 1009;     // ERROR_BADDB: the registry cannot be read
}  // namespace err

// The calling thread's last error (GetLastError on Windows; the mapped errno on POSIX).
uint32_t LastError();
void SetLastError(uint32_t code);

// The system's message text for an error code, UTF-8, without trailing line breaks; empty when the
// system has none. On POSIX the texts are the English ones Windows gives for the mapped codes.
std::string SystemMessage(uint32_t code);

}  // namespace tlx::platform
