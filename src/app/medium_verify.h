// The check of a medium without installing (setup.exe /VERIFY, tlxsetup /VERIFY): the distribution
// read as the install step reads it (package CheckMedium, which tlxpack verify runs too), nothing
// installed; the outcome as an exit code, the problem lines for the error list, and the log.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "app/setup_switches.h"
#include "app/unattended.h"

namespace tlx::app {

struct MediumVerifyResult {
  ESetupExit code = ESetupExit::ese_Done;  // ese_Done, ese_MediumDamaged, or ese_CannotStart (no log)
  std::vector<std::string> problems;       // one line per problem, naming its volume or manifest line
  std::string summary;                     // one line: what was checked and the outcome
};

// Checks the distribution in `start_dir` (the folder holding Setup); transient files go below the
// system's temporary folder and are removed. /LOG gets every volume, every problem and the summary;
// `progress` gets the log lines of a /SILENT run. Never raises.
MediumVerifyResult RunMediumVerify(const SetupSwitches& switches, const std::string& start_dir,
                                   const std::function<void(const std::string&)>& progress);

}  // namespace tlx::app
