#include "store/version.h"

#include "platform/text.h"

namespace tlx::store {

namespace {

// "У" in code page 1251: the second character of a Ukrainian edition prefix such as "5У-".
constexpr char kUkrainianLetter = '\xD3';

// Reads an optional "-" and decimal digits at `pos`; the value wraps to one byte.
uint8_t ReadNumber(std::string_view s, std::size_t& pos) {
  bool negative = false;
  if (pos < s.size() && s[pos] == '-') {
    negative = true;
    ++pos;
  }
  uint32_t value = 0;
  while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
    value = value * 10 + static_cast<uint32_t>(s[pos] - '0');
    ++pos;
  }
  return static_cast<uint8_t>(negative ? 0u - value : value);
}

void SkipDot(std::string_view s, std::size_t& pos) {
  if (pos < s.size() && s[pos] == '.') ++pos;
}

}  // namespace

void STLXVER::Parse(std::string_view version_text) {
  text = std::string(version_text);
  edition = 3;
  level2 = level3 = level4 = 0;
  if (version_text.empty()) return;
  // Character positions count in the stored code page, where "У" is one byte.
  const std::string bytes =
      platform::Utf8ToCp1251Lossy(version_text).value_or(std::string(version_text));
  const std::string_view s = bytes;
  std::size_t pos = 0;
  if (s.size() >= 3 && s[2] == '-') {
    lang_variant = s[1] == kUkrainianLetter ? kVersionLangUkrainian : kVersionLangRussian;
    edition = ReadNumber(s, pos);
    pos += 2;
  } else if (s.size() >= 2 && s[1] == '-') {
    edition = ReadNumber(s, pos);
    pos += 1;
  }
  level1 = ReadNumber(s, pos);
  SkipDot(s, pos);
  if (pos >= s.size()) return;
  level2 = ReadNumber(s, pos);
  SkipDot(s, pos);
  if (pos >= s.size()) return;
  level3 = ReadNumber(s, pos);
  if (pos < s.size() && s[pos] == '.') {
    ++pos;
    level4 = ReadNumber(s, pos);
  } else {
    level4 = 0;
  }
}

STLXVER& CurrentVersion() {
  static STLXVER current;
  return current;
}

void SetCurrentVersion(std::string_view version_text) {
  STLXVER parsed;
  parsed.lang_variant = CurrentVersion().lang_variant;
  parsed.Parse(version_text);
  STLXVER& current = CurrentVersion();
  current.edition = parsed.edition;
  current.lang_variant = parsed.lang_variant;
  current.level1 = parsed.level1;
  current.level2 = parsed.level2;
  current.level3 = parsed.level3;
  current.text = std::to_string(current.level1) + "." + std::to_string(current.level2) + "." +
                 std::to_string(current.level3);
}

}  // namespace tlx::store
