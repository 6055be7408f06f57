#include "package/upper_name.h"

#include <cstdint>

namespace tlx::package {

// The letters concerned are ASCII or two-byte UTF-8 sequences led by 0xD0 or 0xD1; a continuation
// byte is never 0xD0, 0xD1 or ASCII, so looking at lead bytes alone is safe.
void UpperName(std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const uint8_t c = static_cast<uint8_t>(text[i]);
    if (c >= 'a' && c <= 'z') {
      text[i] = static_cast<char>(c - 0x20);
      continue;
    }
    if (i + 1 >= text.size() || (c != 0xD0 && c != 0xD1)) continue;
    const uint8_t next = static_cast<uint8_t>(text[i + 1]);
    if (c == 0xD0 && next >= 0xB0 && next <= 0xBF) {  // а..п -> А..П
      text[i + 1] = static_cast<char>(next - 0x20);
    } else if (c == 0xD1 && next >= 0x80 && next <= 0x8F) {  // р..я -> Р..Я
      text[i] = static_cast<char>(0xD0);
      text[i + 1] = static_cast<char>(next + 0x20);
    } else if (c == 0xD1 && (next == 0x94 || next == 0x97)) {  // є, ї -> Є, Ї
      text[i] = static_cast<char>(0xD0);
      text[i + 1] = static_cast<char>(next - 0x10);
    }
    ++i;
  }
}

}  // namespace tlx::package
