// The suite's version record: edition, language variant and four levels, parsed from texts such as
// "3.2.0" or "5У-3.2.0.1", and the process-wide current version.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace tlx::store {

// Language variants of a version (stable values).
inline constexpr uint8_t kVersionLangNone = 0;
inline constexpr uint8_t kVersionLangRussian = 1;
inline constexpr uint8_t kVersionLangUkrainian = 2;

struct STLXVER {
  uint8_t edition = 5;
  uint8_t lang_variant = kVersionLangNone;
  uint8_t level1 = 3;
  uint8_t level2 = 2;
  uint8_t level3 = 0;
  uint8_t level4 = 0;
  std::string text = "3.2.0";  // UTF-8

  // Parses `version_text` (UTF-8) into this record: keeps the text, sets edition 3 and levels 2..4
  // to 0 (the language variant keeps its value), then reads "E" "L-" or "E-" prefixes and up to
  // four "."-separated numbers. Numbers wrap to one byte. Never fails.
  void Parse(std::string_view version_text);
};

// The process-wide current version (edition 5, no language variant, "3.2.0" at start).
STLXVER& CurrentVersion();

// Parses `version_text` and copies edition, language variant and levels 1..3 into the current
// version (level 4 stays); its text becomes "level1.level2.level3".
void SetCurrentVersion(std::string_view version_text);

}  // namespace tlx::store
