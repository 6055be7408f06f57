// Files and folders by name: existence, delete, move, copy, attributes, times, listing, folders.
// Paths are UTF-8; on POSIX, drive-letter paths are mapped through the configured drives (config.h)
// and existing components are found without regard to letter case, as on Windows.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tlx::platform {

// Windows file attribute bits.
namespace attr {
inline constexpr uint32_t kReadOnly = 0x1;
inline constexpr uint32_t kHidden = 0x2;
inline constexpr uint32_t kSystem = 0x4;
inline constexpr uint32_t kDirectory = 0x10;
inline constexpr uint32_t kArchive = 0x20;
inline constexpr uint32_t kNormal = 0x80;
inline constexpr uint32_t kReparsePoint = 0x400;
}  // namespace attr

// What a name leads to, links followed: nothing (missing, or a link to nothing; LastError set), a
// regular file, a folder, or something that holds no data of its own (a FIFO, a device, a socket).
// The file layer opens regular files only; this lets a caller say so before opening.
enum class FileKind : uint8_t { kMissing, kRegular, kFolder, kSpecial };
FileKind KindOf(const std::string& path);

bool FileExists(const std::string& path);    // an existing file (not a folder)
bool FolderExists(const std::string& path);  // an existing folder
std::optional<uint32_t> Attributes(const std::string& path);  // nullopt: missing (LastError set)
bool SetAttributes(const std::string& path, uint32_t attributes);

bool DeleteFile(const std::string& path);
bool MoveFile(const std::string& from, const std::string& to, bool replace);
// Copies a file. Unless `fail_if_exists`, an existing target is deleted first (a link as a link)
// and the copy is a new file: never written into the old one, which may be a hard link.
bool CopyFile(const std::string& from, const std::string& to, bool fail_if_exists);

bool CreateFolder(const std::string& path);        // one level; fails when it exists
bool CreateFolderTree(const std::string& path);    // with parents; true when it exists already
bool RemoveFolder(const std::string& path);        // an empty folder, or a link to a folder as a link

// One entry of a listing. Names are as stored on disk.
struct FolderEntry {
  std::string name;
  uint32_t attributes = 0;
  uint64_t size = 0;
  uint32_t dos_time = 0;  // packed DOS date (high word) and time (low word), local time
};

// Entries of `folder` matching `pattern` ("*.*", "*", "*.lnk", "name.ext"; case-insensitive,
// "*" and "?" as on Windows), including "." and ".." when the pattern matches them, like
// FindFirstFile. nullopt when the folder cannot be read (LastError set).
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder, const std::string& pattern);

// The packed DOS date-time of a file's last write (FileTimeToDosDateTime of the local time).
std::optional<uint32_t> FileDosTime(const std::string& path);
// A file's creation time as a Windows FILETIME (100 ns units since 1601-01-01 UTC).
std::optional<uint64_t> FileCreationTime(const std::string& path);

std::string CurrentFolder();
bool SetCurrentFolder(const std::string& path);
std::string ProgramFolder();   // folder of the running executable, no trailing separator
std::string ProgramPath();     // the running executable itself
std::string WindowsFolder();   // "C:\Windows" or the configured one
std::string TempFolder();      // the user's folder for temporary files, no trailing separator

}  // namespace tlx::platform
