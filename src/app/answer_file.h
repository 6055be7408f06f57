// The answers of an unattended run: variant, folder, shortcut and every control of the settings
// window, as an INI-style answer file (UTF-8):
//   [Setup]    Variant=0|1  Dir=path  Shortcut=name  NoShortcut=0|1
//   [Settings] RILang RDLang YesScale SelNumFree CBNsi CBCross CBStk CbAuto CbCheckUpInet CbHeaderBld
//              CbHeaderKp CbRestoreNsiInLS CbHintForPos (0|1)  AutoTime=HH:MM  Scale=0..4
// Keys in any letter case; ";" starts a comment line; what is not given keeps the windows' defaults.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store/settings_window.h"

namespace tlx::app {

struct SetupAnswers {
  int32_t variant = 1;
  std::string dir = "c:\\tlx5_320";
  std::string shortcut = "ТЛК5_320";
  bool no_shortcut = false;
  store::TNstr settings{1024, 768};
};

// Reads answer-file text over `answers`. False with `*error` ("line N: ...") on a line that is no
// section, key=value or comment, an unknown section or key, or a value out of range.
bool ParseAnswers(std::string_view text, SetupAnswers& answers, std::string* error);
// The answer-file text of `answers` (every key).
std::string FormatAnswers(const SetupAnswers& answers);

// Reads the answer file `path`; raises ZError 1 when it is missing and ZError 0 naming the file and
// the line when it is not a valid answer file.
void LoadAnswers(const std::string& path, SetupAnswers& answers);
// Writes the answer file `path` (replaced in one step); raises the file layer's errors.
void SaveAnswers(const std::string& path, const SetupAnswers& answers);

}  // namespace tlx::app
