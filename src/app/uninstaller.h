// The uninstaller: setup.exe /UNINSTALL (the copy "Uninstall.exe" in the installation folder that
// the registry entry names, needing no distribution) and tlxsetup /UNINSTALL.
#pragma once
#include <functional>
#include <string>

#include "app/setup_switches.h"
#include "app/unattended.h"
#include "messages/message_sink.h"

namespace tlx::app {

// The installation /UNINSTALL removes: /DIR when given, else the program's own folder when it
// holds an installation record, else the folder the registry entry names; empty when none.
std::string InstallationToRemove(const SetupSwitches& switches);

// Removes the installed suite (package/uninstall.h). Without /SILENT, /VERYSILENT or
// /SUPPRESSMSGBOXES it first asks question 2608 through `shown_sink`, and at the end tells what
// happened (3608, 3609 naming the folders left for the user's files, or error 609 naming what could
// not be removed). Logs every step to /LOG; `progress` gets the log lines of a /SILENT run.
// Exit codes: ese_Done removed (the folder may stay with the user's files); ese_CannotStart no
// installation found (error 608) or a log that cannot be opened; ese_Refused the question answered
// "no" (nothing removed); ese_Failed something of the installation could not be removed (its
// uninstaller and entry stay for another run). Never raises.
UnattendedResult RunUninstall(const SetupSwitches& switches, messages::MessageSink* shown_sink,
                              const std::function<void(const std::string&)>& progress);

}  // namespace tlx::app
