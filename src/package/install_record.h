// The record an installation leaves for its uninstaller: the file "Uninstall.lst" in the
// installation folder, written at the end of a successful installation. UTF-8 text, lines ended by
// CR LF, ";" starts a comment line:
//
//   [Setup]
//   Version=3.2.0
//   Dir=c:\tlx5_320                 the installation folder
//   Shortcut=c:\Desktop\ТЛК5_320.LNK  the desktop shortcut placed (empty: none)
//   [CreatedParents]                folders above Dir that the installation created, outermost first
//   c:\work
//   [Folders]                       folders below Dir it created, relative, in creation order
//   Exe
//   [Files]                         files it wrote, relative, in writing order
//   Exe\tlx.exe
//
// The uninstaller program "Uninstall.exe" and the record itself sit beside it and are not listed.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlx::package {

inline constexpr char kUninstallProgramName[] = "Uninstall.exe";
inline constexpr char kInstallRecordName[] = "Uninstall.lst";

struct InstallRecord {
  std::string version;
  std::string install_dir;
  std::string shortcut;
  std::vector<std::string> created_parents;
  std::vector<std::string> folders;
  std::vector<std::string> files;

  // Notes a folder or file the installation made; paths outside install_dir are passed over, a
  // path noted before is not noted again (letter case aside).
  void FolderCreated(const std::string& path);
  void FileWritten(const std::string& path);
};

// The record's text.
std::string FormatInstallRecord(const InstallRecord& record);

// Reads a record's text. nullopt with `*error` naming the line and what is wrong on an unknown
// section or key, a missing Dir, a parent that is not above Dir, or a relative path that is empty,
// absolute, holds a drive, ".", ".." or an empty component.
std::optional<InstallRecord> ParseInstallRecord(std::string_view text, std::string* error);

// Writes the record as install_dir + "\Uninstall.lst" (a new file, then renamed into place).
// Raises the file layer's ZError.
void WriteInstallRecord(const InstallRecord& record);

// Reads install_dir + "\Uninstall.lst". Raises ZError 0 naming the file when it is missing,
// unreadable or not a record, or when it belongs to another folder.
InstallRecord ReadInstallRecord(const std::string& install_dir);

}  // namespace tlx::package
