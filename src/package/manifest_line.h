// A line of an install buffer's manifest (logical file 0, one line per record, code page 1251 on
// disk, UTF-8 here): characters 1-2 the logical file (decimal), 3-4 the folder number in the group's
// folder table (from 1), then the file name, optionally followed by one blank and a variant tag.
// The manifest comes from the distribution, so every name is checked before anything is written:
// the installer and the distribution builder refuse the same names through InstallNameProblem.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tlx::package {

inline constexpr uint32_t kMaxManifestNumber = 99;  // two decimal digits
inline constexpr size_t kMaxInstallName = 255;       // characters

struct ManifestLine {
  uint32_t logical = 0;             // 1..99
  uint32_t folder = 0;              // 1..size of the group's folder table
  std::string name;                 // a plain file name
  std::optional<int32_t> variant;   // none: installed in every variant
};

// Why `name` may not be written into an installation folder, or nullopt when it may: empty, longer
// than 255 characters, not UTF-8, a "\", "/" or ":" (absolute, drive, server and stream forms), a
// control character (the zero byte included) or one of <>"|?*, "." or "..", a trailing dot or blank,
// or a device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, COM and LPT with a superscript 1-3, CONIN$,
// CONOUT$, with any extension, letter case aside).
std::optional<std::string> InstallNameProblem(std::string_view name);

// Parses a trimmed, non-empty line. Checks the numbers' digits, the logical number (1..99), the
// folder number against volume group `group`'s table, the name and the tag. Returns the line, or
// the reason it is refused in `*problem`.
std::optional<ManifestLine> ParseManifestLine(std::string_view line, int group, std::string* problem);

// The line as the installer reads it (UTF-8): "LLFFname" or "LLFFname T". Raises ZError 0 when the
// installer would refuse it for `group`.
std::string FormatManifestLine(const ManifestLine& line, int group);

// The target of a parsed line: install_dir + the group's folder + "\" + name.
std::string ManifestTargetPath(const std::string& install_dir, int group, const ManifestLine& line);

// `text` without the characters up to blank (control characters and blanks) at both ends.
std::string_view TrimLine(std::string_view text);

}  // namespace tlx::package
