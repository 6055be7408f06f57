// The drive-and-folder picker (TSelDir) opened by "Обзор" of the install-directory step: a drive
// list, the folders of the chosen drive, and the free and required space beside them.
#pragma once
#include <cstdint>
#include <string>

namespace tlx::app {

class TSelDir {
 public:
  // The picker for `required` bytes with `drive` selected in Drv and its root open in DirList.
  TSelDir(uint64_t required, char drive);

  uint64_t Required = 0;
  bool Armed = false;      // false until the window is shown
  std::string PrevRoot;    // root of the drive selected before the current choice ("c:\")
  char Drv = 'c';          // the drive selected in the drive list
  std::string DirList;     // the folder open in the folder list
  std::string LFree;
  std::string LReq;

  void FormShow();
  void UpdateSpace();
  // The user picks an entry of the drive list, before the list switches to it.
  void DrvClick();
  // The drive list has switched to `drive`: a usable drive shows its folders, any other snaps the
  // list back to the drive of PrevRoot. Nothing happens before the window is shown.
  void DrvChange(char drive);
  // The user opens `folder` in the folder list (double click).
  void OpenFolder(const std::string& folder) { DirList = folder; }

 private:
  void DrvChangeOnce(char drive, bool may_snap_back);
};

}  // namespace tlx::app
