// The desktop folder and shell links (.lnk files).
#pragma once
#include <optional>
#include <string>

namespace tlx::platform {

// The current user's desktop folder from the "Shell Folders" key, value "Desktop"; nullopt when
// the value is missing or empty.
std::optional<std::string> DesktopFolderFromRegistry();

struct ShellLink {
  std::string target;          // absolute path of the linked file
  std::string description;
  std::string working_folder;
  int show_command = 1;        // SW_SHOWNORMAL
};

// Writes `link` to `lnk_path` (replacing). Windows: the shell link object; POSIX: the documented
// binary format, readable by Windows and Wine.
bool WriteShellLink(const std::string& lnk_path, const ShellLink& link);
// Reads a link's target and working folder; nullopt when the file is not a readable link.
std::optional<ShellLink> ReadShellLink(const std::string& lnk_path);
// Tells the shell that desktop items changed (no-op on POSIX).
void NotifyDesktopChanged();

}  // namespace tlx::platform
