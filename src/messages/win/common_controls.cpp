#include "messages/win/common_controls.h"

#include "platform/win/system_library.h"

namespace tlx::win {

namespace {

template <typename Fn>
bool Take(HMODULE module, const char* name, Fn& fn) {
  fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
  return fn != nullptr;
}

}  // namespace

const CommonControls& Comctl() {
  static const CommonControls api = [] {
    CommonControls c;
    HMODULE module = platform::win::LoadSystemLibrary(L"comctl32.dll");
    const bool all = module != nullptr && Take(module, "InitCommonControlsEx", c.InitCommonControlsEx) &&
                     Take(module, "SetWindowSubclass", c.SetWindowSubclass) &&
                     Take(module, "RemoveWindowSubclass", c.RemoveWindowSubclass) &&
                     Take(module, "DefSubclassProc", c.DefSubclassProc) &&
                     Take(module, "ImageList_Create", c.ImageList_Create) &&
                     Take(module, "ImageList_Destroy", c.ImageList_Destroy) &&
                     Take(module, "ImageList_AddMasked", c.ImageList_AddMasked) &&
                     Take(module, "ImageList_Draw", c.ImageList_Draw) &&
                     Take(module, "ImageList_GetIcon", c.ImageList_GetIcon);
    if (!all) ::FatalAppExitW(0, L"comctl32.dll");
    return c;
  }();
  return api;
}

}  // namespace tlx::win
