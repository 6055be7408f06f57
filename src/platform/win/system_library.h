// DLLs from the system folder only. setup.exe is started from download folders and media, where
// anyone can leave a DLL named like a system one; Windows would take such a DLL from the program's
// own folder before the system folder for every DLL that is not a known DLL. The program imports
// only known DLLs (and the common controls through its manifest) and loads every other one here.
#pragma once
#include <windows.h>

namespace tlx::platform::win {

// Limits the DLL search of the whole process, from now on, to the system folder (for DLLs loaded
// by name, by this program and by the system's DLLs alike): SetDefaultDllDirectories, and where
// the system lacks it at least the current folder out of the search (SetDllDirectory ""). Call it
// first thing, before anything can load a DLL. False when neither call is there.
bool RestrictDllSearchToSystemFolder();

// Loads the DLL `name` (a bare file name such as L"riched20.dll") from the system folder and
// nowhere else; nullptr (GetLastError set) when it is not there. The module stays loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace tlx::platform::win
