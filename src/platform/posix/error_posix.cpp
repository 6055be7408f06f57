// The last error in Windows numbering, errno translated onto it, and Windows' English message texts.
#include <sys/stat.h>

#include <cerrno>

#include "platform/error.h"
#include "platform/posix/posix_internal.h"

namespace tlx::platform {

namespace {

thread_local uint32_t last_error = 0;

struct ErrnoMap {
  int errno_value;
  uint32_t code;
};
constexpr ErrnoMap kErrnoMap[] = {
    {0, err::kSuccess},
    {ENOENT, err::kFileNotFound},
    {ENOTDIR, err::kPathNotFound},
    {EACCES, err::kAccessDenied},
    {EPERM, err::kAccessDenied},
    {EISDIR, err::kAccessDenied},
    {EROFS, 19},
    {EBADF, err::kInvalidHandle},
    {ENOMEM, err::kNotEnoughMemory},
    {EMFILE, 4},
    {ENFILE, 4},
    {EBUSY, 170},
    {ETXTBSY, err::kSharingViolation},
    {EEXIST, err::kFileExists},
    {EINVAL, err::kInvalidParameter},
    {ENOSPC, err::kDiskFull},
    {EDQUOT, err::kDiskFull},
    {EFBIG, 223},
    {ENOTEMPTY, err::kDirNotEmpty},
    {ENAMETOOLONG, err::kFilenameTooLong},
    {EXDEV, 17},
    {ELOOP, 1921},
    {EIO, 1117},
    {ENXIO, err::kNotReady},
    {ENODEV, err::kNotReady},
    {ENOMEDIUM, err::kNotReady},
};

struct Message {
  uint32_t code;
  const char* text;
};
constexpr Message kMessages[] = {
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {4, "The system cannot open the file."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {17, "The system cannot move the file to a different disk drive."},
    {18, "There are no more files."},
    {19, "The media is write protected."},
    {21, "The device is not ready."},
    {31, "A device attached to the system is not functioning."},
    {32, "The process cannot access the file because it is being used by another process."},
    {38, "Reached the end of the file."},
    {80, "The file exists."},
    {87, "The parameter is incorrect."},
    {112, "There is not enough space on the disk."},
    {123, "The filename, directory name, or volume label syntax is incorrect."},
    {131, "An attempt was made to move the file pointer before the beginning of the file."},
    {145, "The directory is not empty."},
    {170, "The requested resource is in use."},
    {183, "Cannot create a file when that file already exists."},
    {206, "The filename or extension is too long."},
    {223, "The file size exceeds the limit allowed and cannot be saved."},
    {267, "The directory name is invalid."},
    {1009, "The configuration registry database is corrupt."},
    {1117, "The request could not be performed because of an I/O device error."},
    {1920, "The file cannot be accessed by the system."},
    {1921, "The name of the file cannot be resolved by the system."},
};

}  // namespace

uint32_t LastError() { return last_error; }
void SetLastError(uint32_t code) { last_error = code; }

std::string SystemMessage(uint32_t code) {
  for (const Message& m : kMessages) {
    if (m.code == code) return m.text;
  }
  return {};
}

namespace posix {

uint32_t WinError(int errno_value) {
  for (const ErrnoMap& m : kErrnoMap) {
    if (m.errno_value == errno_value) return m.code;
  }
  return 31;  // ERROR_GEN_FAILURE
}

void SetErrnoError(int errno_value, const std::string& native) {
  uint32_t code = WinError(errno_value);
  if (errno_value == ENOENT && !native.empty()) {
    // Windows tells a missing file (2) from a missing folder on the way to it (3).
    const size_t slash = native.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
      struct stat st;
      if (stat(native.substr(0, slash).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        code = err::kPathNotFound;
      }
    }
  }
  last_error = code;
}

}  // namespace posix
}  // namespace tlx::platform
