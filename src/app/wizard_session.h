// A run of setup.exe with its windows, started with or without switches: /DIR, /VARIANT, /SHORTCUT,
// /NOSHORTCUT and /LOADINF preset the windows, /LOG logs the run as an unattended one is logged (every
// step, volume, file written, message and error), /SAVEINF keeps the answers the user gave. Only
// /SILENT and /VERYSILENT leave the windows out; /VERIFY, /UNINSTALL and /HELP have their own ways.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/answer_file.h"
#include "app/main_window.h"
#include "app/setup_log.h"
#include "app/setup_switches.h"
#include "app/wizard.h"
#include "messages/message_sink.h"
#include "package/install_package.h"

namespace tlx::app {

// True when these switches run the wizard's windows: no /SILENT or /VERYSILENT, no /VERIFY,
// /UNINSTALL or /HELP.
bool RunsTheWizard(const SetupSwitches& switches);

// The install actions of a run: the installation package's, showing the install step in `view`.
using InstallActionsMaker = std::function<std::unique_ptr<InstallActions>(package::InstallView& view)>;

class WizardSession {
 public:
  // The switches' paths are taken as given (relative ones from the current folder, so the caller
  // makes them absolute first when the folder changes). `distribution` holds the setup configuration
  // file and Setup. Opens /LOG for appending and reads /LOADINF over the windows' defaults; while the
  // session lives every message is logged and then shown by the sink current at its creation.
  // Raises the log's RaiseSysError and LoadAnswers's errors.
  WizardSession(const SetupSwitches& switches, std::string distribution);
  WizardSession(const WizardSession&) = delete;
  WizardSession& operator=(const WizardSession&) = delete;
  ~WizardSession();

  const WizardPresets& Presets() const { return presets_; }
  const std::string& Distribution() const { return distribution_; }
  // One line of the log ("step", "error", ...); nothing without /LOG.
  void Line(std::string_view kind, std::string_view text);

  // The start panel's "Дальше": app::Button1Click with main.Presets from the switches, every window
  // and install step logged, the answers noted and, with /SAVEINF, saved once the wizard has ended.
  // `make_actions` (default: the installation package's) installs with the logged view it is given.
  std::optional<EWizardEnd> Button1Click(TInsMain& main, WizardView& view, package::InstallView& install_view,
                                         const InstallActionsMaker& make_actions = {});

 private:
  class LoggingSink;
  std::string distribution_;
  std::optional<std::string> save_inf_;
  WizardPresets presets_;
  SetupAnswers answers_;  // what the run was answered, for /SAVEINF
  SetupLog log_;
  std::unique_ptr<LoggingSink> sink_;
  std::unique_ptr<messages::ScopedMessageSink> scope_;
};

}  // namespace tlx::app
