// Keeps installation writes inside the installation folder: a symbolic link or junction left below
// it (for example a hidden one that clearing the folder passes over) must not carry a write outside.
#pragma once
#include <string>

namespace tlx::package {

// Raises ZError 0 "Файл <path> - путь проходит через ссылку" when an existing component of `path`
// below `root` (the final one included) is a symbolic link or junction, and ZError 0
// "Файл <path> - вне папки <root>" when `path` does not start with root + "\". Components that do
// not exist yet are fine: whatever creates them creates plain ones.
void RequireNoLinksBelow(const std::string& root, const std::string& path);

}  // namespace tlx::package
