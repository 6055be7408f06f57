// Shared by the POSIX platform sources: errno translation, drive-path mapping, the sharing table.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/config.h"

namespace tlx::platform::posix {

// The Windows error code for an errno value.
uint32_t WinError(int errno_value);
// Sets LastError from errno (ENOENT refined to 2 or 3 by whether the parent folder of `native` exists).
void SetErrnoError(int errno_value, const std::string& native = {});

// Maps a path (drive-letter form, relative to the current folder, or native) onto a native path.
// Existing components below a drive root are found without regard to letter case; missing ones
// keep the case given. nullopt with LastError 3 (drive not configured) or 21 (no medium).
std::optional<std::string> MapPath(const std::string& path);
// The same, but the last component is taken as given (its parent is still found case-blind): a
// rename that changes only the letter case of a name needs it.
std::optional<std::string> MapPathKeepLast(const std::string& path);
// The configured drive of `letter` when it has a medium; nullptr with LastError 3 (no such drive)
// or 21 (no medium).
const DriveConfig* DriveWithMedium(char letter);
// The drive-letter form ("c:\x\y") of an absolute native path inside a configured drive, else the
// native path unchanged.
std::string WindowsForm(const std::string& native);

// Sharing emulation: true when every open of (dev, ino) in this process granted all the `share`
// bits (kShareDelete before a delete or rename, kShareRead before a copy reads it).
// Always true once EndSharing() was called.
bool OpenersAllow(dev_t dev, ino_t ino, uint8_t share);
// The process is ending on an interrupt: its own open files no longer keep its cleanup from
// deleting them (on Windows the system holds the sharing; here only this emulation does).
void EndSharing();

}  // namespace tlx::platform::posix
