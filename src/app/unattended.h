// The unattended installer shared by setup.exe (/SILENT, /VERYSILENT) and tlxsetup: the licence
// agreement counts as accepted, every window of the wizard is answered from the answer file, the
// switches and the windows' defaults, and the outcome becomes an exit code.
#pragma once
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "app/setup_log.h"
#include "app/setup_switches.h"
#include "messages/message_sink.h"

namespace tlx::app {

// Exit codes (stable values): every code but ese_Done means the installation did not complete.
enum class ESetupExit : int {
  ese_Done = 0,
  ese_CannotStart = 1,    // no setup configuration file, unsupported system, no fixed disk, bad switch
  ese_Refused = 2,        // refused before anything was written (bad folder, no room, folder exists)
  ese_MediumDamaged = 3,  // /VERIFY: the distribution has problems (each one listed); nothing installed
  ese_Failed = 4,         // failed during the installation (bad volumes, file errors); undone
  ese_LogIncomplete = 5,  // did all it was asked, but the /LOG file could not be written in full
};

struct UnattendedResult {
  ESetupExit code = ESetupExit::ese_Done;
  std::string message;  // the text that explains a non-zero code
  bool shown = false;   // the user has seen it already, in the message dialog
};

// Runs the installation from DistributionFolder(switches). `shown_sink` shows the
// messages when neither /VERYSILENT nor /SUPPRESSMSGBOXES is given (nullptr: answered with their
// defaults); `progress` gets every log line of a /SILENT run. Writes /LOG and /SAVEINF. Never raises.
UnattendedResult RunUnattended(const SetupSwitches& switches, messages::MessageSink* shown_sink,
                               const std::function<void(const std::string&)>& progress);

struct MediumVerifyResult;

// The whole command line of tlxsetup (`native_tool`: --drive items and TLX_DRIVES admitted, no
// windows, so a run without /SILENT or /VERYSILENT counts as /SILENT) or of an unattended setup.exe:
// parses the switches, answers /HELP with the usage on `out`, sets up the drives, runs, and writes
// the message of a non-zero code to `err`. Returns the exit code. /VERIFY checks the distribution
// the installation would take instead of installing it; a run with windows hands the outcome to
// `show_verified` instead of writing it. `distribution` becomes SetupSwitches::distribution.
int RunCommandLine(const std::vector<std::string>& args, bool native_tool, messages::MessageSink* shown_sink,
                   const std::function<void(const std::string&)>& out,
                   const std::function<void(const std::string&)>& err,
                   const std::function<void(const MediumVerifyResult&)>& show_verified = {},
                   const std::string& distribution = "");

// A message text for a log or a console: line breaks "#" as blanks, no alignment mark.
std::string PlainMessageText(std::string_view text);

// Adds a log that could not be written in full to a run's end: a run that did all it was asked ends
// with ese_LogIncomplete, a failed one keeps its code; either way the message names the log and why.
void NoteLogFailure(const SetupLog& log, ESetupExit& code, std::string& message);

// The plain text of a caught exception (a ZError's final message text).
std::string ExceptionText(std::exception_ptr error);

// A path of the command line as the folder the program was started in sees it (that folder is
// current when this is called); absolute paths stay as they are.
std::string FromStartFolder(const std::string& path);

// The folder of the distribution a run installs from: switches.distribution, else the current
// folder.
std::string DistributionFolder(const SetupSwitches& switches);

// True when the command line asks for an installation without windows (/SILENT or /VERYSILENT, in any
// letter case).
bool RunsWithoutWindows(const std::vector<std::string>& args);

// What a copy started without windows says when another copy holds the program's mutex: it ends with
// ese_CannotStart, since 0 would say "installed".
inline constexpr char kSecondCopyText[] =
    "another copy of the setup program is running; this one ends without installing";

// The name of the native installer's mutex: one per drive map, so that two runs on one map (one
// target folder) never both pass the folder check, while runs on other maps do not wait for each other.
std::string NativeMutexName();

}  // namespace tlx::app
