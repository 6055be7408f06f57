#include "app/wizard_session.h"

#include <exception>

#include "app/package_actions.h"
#include "app/unattended.h"
#include "messages/uncaught.h"
#include "package/uninstall_entry.h"

namespace tlx::app {

bool RunsTheWizard(const SetupSwitches& switches) {
  return switches.ui == EUiLevel::eui_Windows && !switches.verify && !switches.uninstall && !switches.help;
}

// Logs each message, then lets the sink of the windows show it.
class WizardSession::LoggingSink : public messages::MessageSink {
 public:
  LoggingSink(SetupLog& log, messages::MessageSink& shown) : log_(log), shown_(shown) {}
  messages::MessageAnswer Show(const messages::MessageRequest& request) override {
    log_.Line("message", PlainMessageText(request.text));
    return shown_.Show(request);
  }

 private:
  SetupLog& log_;
  messages::MessageSink& shown_;
};

namespace {

const char* EndText(EWizardEnd end) {
  switch (end) {
    case EWizardEnd::ewe_Done: return "installed";
    case EWizardEnd::ewe_VariantCancelled: return "the variant window was left";
    case EWizardEnd::ewe_FolderCancelled: return "the folder window was left";
    case EWizardEnd::ewe_PackageFailed: return "volumes are missing or damaged; what was written is removed";
    case EWizardEnd::ewe_InstallFailed: return "the installation failed; what was written is removed";
  }
  return "";
}

// The windows, each step logged and its answer noted.
class LoggedView : public WizardView {
 public:
  LoggedView(WizardView& windows, SetupLog& log, SetupAnswers& answers)
      : windows_(windows), log_(log), answers_(answers) {}
  void HideStartPanel() override {
    log_.Line("step", "start");
    windows_.HideStartPanel();
  }
  void HideProgressPanel() override { windows_.HideProgressPanel(); }
  std::optional<int32_t> ShowVariant() override {
    const std::optional<int32_t> variant = windows_.ShowVariant();
    log_.Line("step", variant ? "variant " + std::to_string(*variant) : std::string("variant window left"));
    if (variant) answers_.variant = *variant;
    return variant;
  }
  bool ShowInsDir(TInsDir& window) override {
    const bool accepted = windows_.ShowInsDir(window);
    if (accepted) {
      log_.Line("step", "folder " + window.EdFile + "; " + window.LFree + "; " + window.LReq);
      if (!window.NoShortcut) log_.Line("step", "shortcut name " + window.EdName);
      answers_.dir = window.EdFile;
      answers_.shortcut = window.EdName;
      answers_.no_shortcut = window.NoShortcut;
    } else {
      log_.Line("step", "folder window left");
    }
    return accepted;
  }
  void ShowSettings(store::TNstr& window) override {
    windows_.ShowSettings(window);
    log_.Line("step", "settings");
    answers_.settings.TakeChoices(window);
  }
  void ShowFinish() override {
    log_.Line("step", "finished");
    windows_.ShowFinish();
  }
  platform::Size Screen() const override { return windows_.Screen(); }
  void CloseMain() override { windows_.CloseMain(); }

 private:
  WizardView& windows_;
  SetupLog& log_;
  SetupAnswers& answers_;
};

// The install step's view, its volumes, files and error list logged.
class LoggedInstallView : public package::InstallView {
 public:
  LoggedInstallView(package::InstallView& shown, SetupLog& log) : shown_(shown), log_(log) {}
  void ResetVolumeBars(int tens_max) override { shown_.ResetVolumeBars(tens_max); }
  void ShowVolumeBars(const std::string& volume, int tens, int units) override {
    log_.Line("volume", volume);
    shown_.ShowVolumeBars(volume, tens, units);
  }
  void ShowProgressPanel() override {
    log_.Line("step", "installing the files");
    shown_.ShowProgressPanel();
  }
  void ShowFileBar(int position, int max) override { shown_.ShowFileBar(position, max); }
  void ShowErrorList(const std::vector<std::string>& lines) override {
    for (const std::string& line : lines) log_.Line("error", line);
    shown_.ShowErrorList(lines);
  }
  void FileWritten(const std::string& path, uint64_t size) override {
    log_.Line("file", path + " (" + std::to_string(size) + " bytes)");
    shown_.FileWritten(path, size);
  }

 private:
  package::InstallView& shown_;
  SetupLog& log_;
};

// The install actions, each logged.
class LoggedActions : public InstallActions {
 public:
  LoggedActions(InstallActions& actions, SetupLog& log) : actions_(actions), log_(log) {}
  void ClearFolder(const std::string& folder) override {
    log_.Line("step", "emptying " + folder);
    actions_.ClearFolder(folder);
  }
  bool InstallPackage(TInsMain& main) override {
    log_.Line("step", "installing variant " + std::to_string(main.InstallVariant) + " into " + main.InstallDir +
                          " from " + main.StartDir);
    return actions_.InstallPackage(main);
  }
  std::optional<std::string> PlaceDesktopShortcut(const std::string& install_dir, const std::string& name) override {
    std::optional<std::string> placed = actions_.PlaceDesktopShortcut(install_dir, name);
    log_.Line("step", placed ? "desktop shortcut " + *placed : "desktop shortcut not written (one exists or no desktop)");
    return placed;
  }
  void RegisterUninstaller(TInsMain& main, package::WorkItemList& journal) override {
    log_.Line("step", "registering the uninstaller " + main.InstallDir + "\\" + package::kUninstallProgramName);
    actions_.RegisterUninstaller(main, journal);
  }
  void RollingBack() override {
    log_.Line("step", "undoing the installation");
    actions_.RollingBack();
  }
  void RolledBack(const package::RollbackReport& report) override {
    for (const std::string& line : report.steps) log_.Line("step", "undo: " + line);
    for (const std::string& line : report.left) log_.Line("error", "not removed: " + line);
    actions_.RolledBack(report);
  }

 private:
  InstallActions& actions_;
  SetupLog& log_;
};

}  // namespace

WizardSession::WizardSession(const SetupSwitches& switches, std::string distribution)
    : distribution_(std::move(distribution)), save_inf_(switches.save_inf), log_(switches.log.value_or("")) {
  sink_ = std::make_unique<LoggingSink>(log_, messages::CurrentMessageSink());
  scope_ = std::make_unique<messages::ScopedMessageSink>(sink_.get());
  log_.Line("step", "installation with windows from " + distribution_);
  try {
    if (switches.load_inf) LoadAnswers(*switches.load_inf, answers_);
  } catch (...) {
    log_.Line("error", ExceptionText(std::current_exception()));
    throw;
  }
  if (switches.dir) answers_.dir = *switches.dir;
  if (switches.variant) answers_.variant = *switches.variant;
  if (switches.shortcut) answers_.shortcut = *switches.shortcut;
  if (switches.no_shortcut) answers_.no_shortcut = true;
  presets_.variant = answers_.variant;
  presets_.dir = answers_.dir;
  presets_.shortcut = answers_.shortcut;
  presets_.no_shortcut = answers_.no_shortcut;
  if (switches.load_inf) presets_.settings = answers_.settings;
}

WizardSession::~WizardSession() { log_.Line("step", "setup ends"); }

void WizardSession::Line(std::string_view kind, std::string_view text) { log_.Line(kind, text); }

std::optional<EWizardEnd> WizardSession::Button1Click(TInsMain& main, WizardView& view,
                                                      package::InstallView& install_view,
                                                      const InstallActionsMaker& make_actions) {
  main.Presets = presets_;
  LoggedView logged_view(view, log_, answers_);
  LoggedInstallView logged_install(install_view, log_);
  std::unique_ptr<InstallActions> actions =
      make_actions ? make_actions(logged_install) : std::make_unique<PackageInstallActions>(logged_install);
  LoggedActions logged_actions(*actions, log_);
  const std::optional<EWizardEnd> end = app::Button1Click(main, logged_view, logged_actions);
  if (!end) {
    log_.Line("error", "the wizard ended by an error");
  } else if (*end == EWizardEnd::ewe_Done) {
    log_.Line("step", "installed into " + main.InstallDir);
  } else {
    log_.Line("step", std::string("not installed: ") + EndText(*end));
  }
  if (save_inf_) {
    try {
      SaveAnswers(*save_inf_, answers_);
      log_.Line("step", "answers saved in " + *save_inf_);
    } catch (...) {
      // Shown and logged; the installation itself stands.
      log_.Line("error", ExceptionText(std::current_exception()));
      messages::ShowUncaught(std::current_exception());
    }
  }
  return end;
}

}  // namespace tlx::app
