// Byte counts as the installer shows them: a whole number, rounded up, with its unit.
#pragma once
#include <cstdint>
#include <string>

namespace tlx::package {

// "n б" up to 1024 bytes (negative sizes too), else ceil(n / unit) with " Кб" up to 2^20, " Мб" up
// to 2^30 and " Гб" above: 1025 -> "2 Кб", 200000000 -> "191 Мб", 2^30 -> "1024 Мб".
std::string SizeText(int64_t size);

}  // namespace tlx::package
