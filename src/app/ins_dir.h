// The install-directory step (TInsDir): the installation folder and the shortcut name, with the free
// and required space, the checks of "Дальше" and the picker of "Обзор". The window shows the fields
// and runs these handlers; messages go to the current message sink.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/sel_dir.h"

namespace tlx::app {

inline constexpr char kDefaultInstallDir[] = "c:\\tlx5_320";
inline constexpr char kDefaultShortcutName[] = "ТЛК5_320";

// What a click leaves the window to do.
enum class EInsDirClick : uint8_t {
  eidc_Stay = 0,        // the window stays open
  eidc_FocusFolder = 1, // the window stays open with the focus on the folder field
  eidc_CloseOk = 2,     // the window closes with "OK"
  eidc_FocusName = 3,   // the window stays open with the focus on the shortcut-name field
};

// Why `folder` (the folder field's text, beginning with a drive letter, ":" and "") cannot become
// a folder as typed, or nullopt when it can: a part that Windows cannot hold or would silently
// change (empty, "." or "..", a trailing dot or blank, ":" or a wildcard, a control character, a
// device name, more than 255 characters, not UTF-8), or an existing file on the way.
std::optional<std::string> FolderPathProblem(const std::string& folder);

// Why `name` (the shortcut-name field) cannot name the desktop shortcut file `name` + ".LNK", or
// nullopt when it can: it is a file name, never a path (no "", "/" or ":"), with none of <>"|?*
// and no control character, not a device name, not invalid UTF-8, and at most 251 characters.
std::optional<std::string> ShortcutNameProblem(const std::string& name);

class TInsDir {
 public:
  // Looks for a fixed disk (error 606 and Terminated() when there is none) and reads the space of
  // the design folder's drive.
  TInsDir();

  std::string EdFile = kDefaultInstallDir;  // folder field
  std::string EdName;                       // shortcut-name field
  bool NoShortcut = false;                  // no shortcut is placed: the name field is not asked
  uint64_t Required = 0;
  uint64_t FreeForCheck = 0;
  std::string LastFolder;
  std::string PickedDir;
  std::string FolderName;
  std::string LFree;
  std::string LReq;
  // Set when "Дальше" closes the window: the folders the step created, outermost first and the
  // installation folder last (empty when creating it failed). A folder that existed holding only an
  // unfinished installation of this suite is taken over: then TookOverUnfinished and it is the
  // only entry.
  std::vector<std::string> CreatedFolders;
  bool TookOverUnfinished = false;

  // True when there is no fixed disk: the window's modal loop ends at once with "Cancel".
  bool Terminated() const { return terminated_; }

  // Error 606 when no drive A..Z present in the system is fixed; true when one is.
  bool CheckFixedDisk();
  void FormShow() { UpdateSpace(); }
  // Free space of the folder's drive; 4 GiB and more (or unknown) lets any requirement pass. The
  // drive it read is the one the labels and the check figure stand for from then on.
  void UpdateSpace();
  // Sets the folder field as typing or the program does; runs EdFileChange.
  void SetFolderText(const std::string& text);
  // A folder text on a usable drive other than the one the labels stand for reads that drive's
  // space; any other text leaves the figures as they are.
  void EdFileChange();
  // Error 602 and true when the folder text cannot be an installation folder (FolderPathProblem
  // included).
  bool FolderInvalid();
  // The checks of "Дальше": the folder text, then the shortcut name (error 607 with the reason; not
  // with NoShortcut), the
  // space, an existing folder (an unfinished installation's folder is taken over); creates the folder
  // only when all pass, and sets CreatedFolders.
  EInsDirClick KNextClick();
  // "Обзор": `show_picker` shows the picker modally and returns true for "OK".
  EInsDirClick KViewClick(const std::function<bool(TSelDir&)>& show_picker);
  // The folder text becomes PickedDir followed by the last component of the current text.
  void ApplyPicked();

 private:
  bool terminated_ = false;
  char space_drive_ = 0;  // the drive letter (as typed) of the last UpdateSpace; 0 before it
};

}  // namespace tlx::app
