#include "package/size_text.h"

#include <array>
#include <string_view>

namespace tlx::package {

namespace {

struct Unit {
  int shift;
  std::string_view text;
};
// Largest first: a size above 2^shift is shown in that unit.
constexpr std::array<Unit, 3> kUnits = {{{30, " Гб"}, {20, " Мб"}, {10, " Кб"}}};

}  // namespace

std::string SizeText(int64_t size) {
  for (const Unit& unit : kUnits) {
    const int64_t one = int64_t{1} << unit.shift;
    if (size > one) {
      const int64_t whole = size / one + (size % one != 0 ? 1 : 0);
      return std::to_string(whole) + std::string(unit.text);
    }
  }
  return std::to_string(size) + " б";
}

}  // namespace tlx::package
