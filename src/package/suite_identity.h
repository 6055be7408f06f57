// How the installed suite names itself to the system: the product code of the setup program (its
// mutex, its uninstall entry), the version and the names shown in the list of installed programs.
#pragma once

namespace tlx::package {

inline constexpr char kProductCode[] = "TlxSetup5_320";
inline constexpr char kSuiteVersion[] = "3.2.0";
// The suite and its edition as the main window's title names them.
inline constexpr char kSuiteDisplayName[] = "ТЛК 5 (редакция 3.2.0)";
// The firm of the vendor line at the bottom of the main window.
inline constexpr char kPublisher[] = "Научно-производственная фирма «ТЛК-Софт»";

}  // namespace tlx::package
