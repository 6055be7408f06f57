// The common controls (comctl32.dll; version 6 through the program's manifest), loaded from the
// system folder at first use instead of imported. An imported DLL is loaded, together with what it
// loads in turn (UxTheme.dll among them), before the program's first line runs, so from wherever
// the loader looks first: the program's own folder, which may be a download folder.
#pragma once
#include <windows.h>
#include <commctrl.h>

namespace tlx::win {

// The functions of comctl32.dll the windows use, under their own names.
struct CommonControls {
  decltype(&::InitCommonControlsEx) InitCommonControlsEx = nullptr;
  decltype(&::SetWindowSubclass) SetWindowSubclass = nullptr;
  decltype(&::RemoveWindowSubclass) RemoveWindowSubclass = nullptr;
  decltype(&::DefSubclassProc) DefSubclassProc = nullptr;
  decltype(&::ImageList_Create) ImageList_Create = nullptr;
  decltype(&::ImageList_Destroy) ImageList_Destroy = nullptr;
  decltype(&::ImageList_AddMasked) ImageList_AddMasked = nullptr;
  decltype(&::ImageList_Draw) ImageList_Draw = nullptr;
  decltype(&::ImageList_GetIcon) ImageList_GetIcon = nullptr;
};

// comctl32.dll's functions, loaded from the system folder the first time. A system without it (or
// without one of them) cannot show a window: the program ends with FatalAppExit naming the DLL.
const CommonControls& Comctl();

}  // namespace tlx::win
