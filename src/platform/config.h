// The POSIX platform's configuration: which drive letters exist and what they are, the desktop and
// Windows folders, and the OS version record. Tests and the native command-line programs set it;
// on Windows the real system answers and Configure only accepts an empty configuration.
//
// Drive syntax, one drive per item:  LETTER=DIR[:TYPE[:FREE]]
//   TYPE  fixed | removable | cdrom | remote | ramdisk | unknown       (default fixed)
//         removable-no-medium | cdrom-no-medium  (the drive exists, its medium does not)
//   FREE  bytes available to the user, a decimal number (default: the real figure of DIR)
// Examples: "c=/tmp/c:fixed", "d=/srv/dist:cdrom", "e=:removable-no-medium", "f=/tmp/f:fixed:1000000".
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/drives.h"
#include "platform/process.h"

namespace tlx::platform {

struct DriveConfig {
  char letter = 'c';          // lower case
  std::string folder;         // native folder the root maps to (empty: no medium)
  DriveType type = DriveType::Fixed;
  bool has_medium = true;
  std::optional<uint64_t> free_bytes;  // fixed figure instead of the real one
};

struct PlatformConfig {
  std::vector<DriveConfig> drives;
  std::optional<std::string> desktop_folder;   // Windows-style path; nullopt: no desktop value
  std::optional<std::string> registry_file;    // the current user's registry (registry.h), a native
                                               // path; nullopt: kept in this process's memory
  std::string windows_folder = "c:\\windows";
  std::optional<OSVersionRecord> os_version;   // nullopt: the query fails
  uint16_t processor_architecture = 9;
  int server_r2 = 0;
  Size screen{1024, 768};
};

// Parses one drive item; nullopt with `*error` set on bad syntax.
std::optional<DriveConfig> ParseDrive(const std::string& item, std::string* error);

// Reads the configuration of a native command-line program from the environment: TLX_DRIVES (drive
// items as above, separated by ';'), TLX_DESKTOP (the desktop folder, Windows-style), TLX_WINDOWS
// (the Windows folder) and TLX_REGISTRY (the registry file, a native path). Unset variables keep the current values. False with `*error` set on a bad
// item; true without change when none is set. On Windows the system answers: any of them set
// gives false.
bool ConfigureFromEnvironment(std::string* error);

// For the native programs: when no registry file is configured, the current user's own,
// "$XDG_CONFIG_HOME/tlxsetup/registry.ini" (else "~/.config/tlxsetup/registry.ini"). Nothing on
// Windows, whose registry is the system's.
void UseUserRegistryFile();

// Replaces the process-wide configuration (POSIX). Returns false on Windows unless `config` is
// default-constructed.
bool Configure(const PlatformConfig& config);
const PlatformConfig& CurrentConfig();

// A default-constructed record of a supported system (Windows 7 SP1 workstation).
OSVersionRecord DefaultOSVersion();

// The native path a Windows-style path maps to (POSIX only; Windows returns the path unchanged).
// nullopt when the drive letter is not configured or has no medium.
std::optional<std::string> NativePath(const std::string& path);

}  // namespace tlx::platform
