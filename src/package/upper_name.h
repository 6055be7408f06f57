// Upper case of link file names as the installer compares them.
#pragma once
#include <string>

namespace tlx::package {

// Upper-cases `text` (UTF-8) in place: a..z, а..я, є and ї become their capitals; every other
// character stays as it is (і, ґ and ё included), so "ТЛК5_320(1).lnk" becomes "ТЛК5_320(1).LNK".
// The byte length never changes.
void UpperName(std::string& text);

}  // namespace tlx::package
