// The setup program's main window model (TInsMain): the values the wizard shares, its first
// showing (start folder, measuring mode, the setup configuration file) and the accepted licence
// agreement that leads to it. The Win32 window shows this model; tests drive it directly.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/ins_dir.h"
#include "package/folder_size.h"
#include "package/install_record.h"
#include "platform/process.h"
#include "store/settings_window.h"

namespace tlx::app {

// The setup configuration file in the start folder (8 bytes: the space the installation needs), the
// name the measuring run writes it under, and the marker of the measuring mode.
inline constexpr char kSetupConfigFile[] = "TlxSetup_5_320.cfg";
inline constexpr char kSetupConfigWriteName[] = "TlxSetup_5_320.Cfg";
inline constexpr char kMeasureMarker[] = "I.cfg";
inline constexpr uint32_t kSetupConfigSize = 8;

inline constexpr char kMainTitle[] = "Установка программного комплекса   Т  Л  К  5   (редакция 3.2.0)";
inline constexpr int kPanCompWidth = 375;
inline constexpr int kPanCompHeight = 82;

// Message numbers of the wizard.
inline constexpr int32_t kMsgBadSystem = 602;        // as a warning: 1602
inline constexpr int32_t kMsgBadFolder = 602;        // error
inline constexpr int32_t kMsgNoSpace = 603;          // error
inline constexpr int32_t kMsgNoSetupConfig = 605;    // error
inline constexpr int32_t kMsgNoFixedDisk = 606;      // error
inline constexpr int32_t kMsgBadShortcutName = 607;  // error, parameter: the reason
inline constexpr int32_t kMsgFolderExists = 601;     // as a warning: 1601
inline constexpr int32_t kMsgNotInstalled = 608;     // error: no installation in the folder
inline constexpr int32_t kMsgCannotRemove = 609;     // error: what the uninstaller could not remove
inline constexpr int32_t kMsgRollbackLeft = 610;     // error: what undoing an installation left
inline constexpr int32_t kMsgUninstallQuery = 608;   // as a question: 2608
inline constexpr int32_t kMsgUninstalled = 608;      // as information: 3608
inline constexpr int32_t kMsgUninstalledKept = 609;  // as information: 3609, the folder kept and why

// Sets both language bytes of the configuration record and the controls' interface language to
// Russian: every message of the setup program, its title, text and buttons, is shown in Russian.
void UseRussianMessages();

// folder + "\" + name, without doubling a trailing backslash of `folder`.
std::string JoinPath(std::string_view folder, std::string_view name);

// What the wizard's windows open with: their design defaults, unless the command line (/DIR,
// /VARIANT, /SHORTCUT, /NOSHORTCUT, /LOADINF) says otherwise.
struct WizardPresets {
  int32_t variant = 1;                     // checked in the variant window
  std::string dir = kDefaultInstallDir;    // the folder field
  std::string shortcut = kDefaultShortcutName;
  bool no_shortcut = false;                // no desktop shortcut; the name field is not asked
  std::optional<store::TNstr> settings;    // the settings window's choices; nullopt: its own
};

class TInsMain {
 public:
  // The windows' starting values; set before the wizard runs.
  WizardPresets Presets;
  // Filled by FormShow.
  std::string StartDir;
  bool MeasureMode = false;
  uint64_t RequiredSpace = 0;
  // The measuring state of the run; its PeakSize is written back at the end of a measuring run.
  package::SizeMeasure Measure;
  // What the installation wrote, for its uninstaller; filled while the wizard installs.
  package::InstallRecord Record;
  // Set by the wizard.
  std::string InstallDir;
  int32_t InstallVariant = 1;
  std::string ShortcutName;
  // What the window shows.
  bool PanCompVisible = true;
  bool PanUpdtVisible = false;  // hidden until the installation step shows it
  int PanCompLeft = 0;
  int PanCompTop = 0;
  const char* Lab1Text() const { return kMainTitle; }

  // First showing: Russian for controls and file-layer messages, StartDir := `start_dir` (the
  // distribution's folder: setup.exe's own folder, tlxsetup's current one), the measuring mode from
  // "I.cfg", else RequiredSpace from the first 8 bytes (at most) of the setup configuration file;
  // hides the progress panel and centres the start panel on `screen`. False after error 605 (no
  // setup configuration file): the window closes. Raises the file layer's errors when the file
  // cannot be read.
  bool FormShow(platform::Size screen, const std::string& start_dir);
  // The same with the current folder as the start folder.
  bool FormShow(platform::Size screen);
};

// The licence agreement accepted: checks the system (a TOSVers lives for the whole call) with both
// language bytes set to Russian; an unsupported system gets warning 1602 and false (the agreement
// window stays). Otherwise `run_main` shows the main window modally and the result is true: the
// agreement window closes and the program ends.
bool AgreementAccepted(const std::function<void()>& run_main);

}  // namespace tlx::app
