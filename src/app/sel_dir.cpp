#include "app/sel_dir.h"

#include "app/drive_space.h"

namespace tlx::app {

TSelDir::TSelDir(uint64_t required, char drive)
    : Required(required), PrevRoot(DriveRoot(drive)), Drv(drive), DirList(DriveRoot(drive)) {}

void TSelDir::FormShow() {
  Armed = true;
  LReq = RequiredSpaceText(Required);
  UpdateSpace();
}

void TSelDir::UpdateSpace() {
  LFree = FreeSpaceText(DriveFree(Drv));
  LReq = RequiredSpaceText(Required);
}

void TSelDir::DrvClick() {
  PrevRoot = DriveRoot(Drv);
  UpdateSpace();
}

void TSelDir::DrvChange(char drive) { DrvChangeOnce(drive, true); }

void TSelDir::DrvChangeOnce(char drive, bool may_snap_back) {
  Drv = drive;
  if (!Armed) return;
  if (DriveUsable(drive)) {
    DirList = DriveRoot(drive);
  } else if (may_snap_back && !PrevRoot.empty() && PrevRoot[0] != drive) {
    // Snapping back runs the change again for the earlier drive; it never snaps twice, so a drive
    // that became unusable in the meantime cannot start a loop.
    DrvChangeOnce(PrevRoot[0], false);
  }
  UpdateSpace();
}

}  // namespace tlx::app
