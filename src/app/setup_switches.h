// The command line of the setup program and of tlxsetup: switches as "/NAME" or "/NAME=value"
// (names in any letter case, values optionally in double quotes), and for tlxsetup also the drive
// map ("--drive=ITEM" or "--drive ITEM").
#pragma once
#include <cstdint>
#include <optional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/config.h"

namespace tlx::app {

// How much an unattended run shows (stable values).
enum class EUiLevel : uint8_t {
  eui_Windows = 0,     // no switch: the wizard's windows
  eui_Silent = 1,      // no questions, progress shown
  eui_VerySilent = 2,  // nothing shown
};

struct SetupSwitches {
  EUiLevel ui = EUiLevel::eui_Windows;
  std::optional<std::string> dir;
  std::optional<int32_t> variant;
  std::optional<std::string> shortcut;
  bool no_shortcut = false;
  std::optional<std::string> load_inf;
  std::optional<std::string> save_inf;
  std::optional<std::string> log;
  bool suppress_msgboxes = false;
  bool help = false;
  bool verify = false;  // check the distribution, install nothing
  bool uninstall = false;  // /UNINSTALL: remove the installed suite instead of installing
  std::vector<platform::DriveConfig> drives;  // tlxsetup only
  // Not a switch: the folder holding the distribution (the setup configuration file and Setup).
  // setup.exe gives its own folder; empty (tlxsetup, which is no part of a distribution): the
  // current folder.
  std::string distribution;
};

// Parses the arguments (without the program name). `allow_drives` admits --drive. nullopt with
// `*error` naming the argument and what is wrong on an unknown switch, a missing or extra value, a
// variant other than 0 or 1, or a bad drive item.
std::optional<SetupSwitches> ParseSwitches(const std::vector<std::string>& args, bool allow_drives,
                                           std::string* error);

// The usage text of /HELP.
std::string UsageText(bool with_drives);

// True when an argument is one of the bare switches `names` ("/SILENT"; in any letter case), also
// beside arguments that cannot be parsed.
bool HasAnySwitch(const std::vector<std::string>& args, std::initializer_list<std::string_view> names);

}  // namespace tlx::app
