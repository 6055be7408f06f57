// The suite's shortcut on the desktop: a link to \Exe\tlx.exe of the installation whose working
// folder is \Exe. An installation gets one link; a new one takes the first free name among the
// desktop's links to tlx.exe (name, name(1), name(2)...). None of these operations raises: without a
// desktop folder or a usable shell, no link is written and the installation goes on.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace tlx::package {

inline constexpr char kSuiteProgram[] = "tlx.exe";
inline constexpr char kSuiteProgramFolder[] = "\\Exe";
inline constexpr char kLinkExtension[] = ".LNK";

// The current user's desktop folder from the registry ("Shell Folders", value "Desktop"); nullopt
// when there is none.
std::optional<std::string> DesktopFolder();

// Writes the link `link_name` into the desktop folder (DesktopFolder, else the Windows folder's
// "\DESKTOP", else its "\Рабочий стол"), with the link name as its description. Returns the link's
// path; nullopt, and nothing written, when there is no desktop folder or the link cannot be written.
std::optional<std::string> CreateDesktopShortcut(const std::string& target, const std::string& link_name,
                                                 const std::string& working_folder);

// Writes the link file `link_path` to `target` (show normally) and tells the shell the desktop
// changed. False when the link could not be written.
bool WriteShellLink(const std::string& target, const std::string& link_path, const std::string& description,
                    const std::string& working_folder);

// The desktop's links (*.lnk of DesktopFolder, no fallbacks) whose target contains `program`,
// letter case aside: their working folders into `working_folders` and their full paths into
// `link_paths`, in listing order (the lists are parallel and cleared first; they stay empty when
// the desktop cannot be examined).
void FindDesktopShortcuts(std::vector<std::string>& working_folders, std::vector<std::string>& link_paths,
                          const std::string& program);

// The name a new shortcut gets: `name` followed by "(k)" for the least k >= 0 (none when 0) whose
// "<name>(k).LNK" matches, letter case aside, no file name of `link_paths`.
std::string FreeShortcutName(const std::string& name, const std::vector<std::string>& link_paths);

// Places the shortcut of the installation in `install_dir` under `name` (the text the user gave):
// nothing when a desktop link to tlx.exe already has this installation's \Exe as working folder,
// else a link named FreeShortcutName + ".LNK". Returns the path of the link written, nullopt when
// none was.
std::optional<std::string> PlaceDesktopShortcut(const std::string& install_dir, const std::string& name);

}  // namespace tlx::package
