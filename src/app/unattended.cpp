#include "app/unattended.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <functional>
#include <optional>

#include "app/answer_file.h"
#include "app/main_window.h"
#include "app/medium_verify.h"
#include "app/package_actions.h"
#include "app/setup_log.h"
#include "app/uninstaller.h"
#include "app/wizard.h"
#include "messages/msg_text.h"
#include "messages/zerror.h"
#include "package/install_work_items.h"
#include "package/suite_identity.h"
#include "package/uninstall_entry.h"
#include "platform/config.h"
#include "platform/fs.h"
#include "platform/process.h"

namespace tlx::app {
namespace {

constexpr char kErrorListTitle[] = "Перечень ошибок при проверке инсталляционных файлов";

// Logs every message, remembers the last one, and shows it only when the run may show messages.
class LoggingSink : public messages::MessageSink {
 public:
  LoggingSink(SetupLog& log, messages::MessageSink* shown) : log_(log), shown_(shown) {}
  messages::MessageAnswer Show(const messages::MessageRequest& request) override {
    last = PlainMessageText(request.text);
    texts.push_back(last);
    log_.Line("message", last);
    if (shown_ != nullptr) return shown_->Show(request);
    messages::MessageAnswer answer;
    answer.button = request.default_button;
    return answer;
  }
  std::string last;
  std::vector<std::string> texts;  // every message of the run, in order

 private:
  SetupLog& log_;
  messages::MessageSink* shown_;
};

// The install step's progress and error list, written to the log.
class LoggedInstallView : public package::InstallView {
 public:
  explicit LoggedInstallView(SetupLog& log) : log_(log) {}
  void ResetVolumeBars(int) override {}
  void ShowVolumeBars(const std::string& volume, int, int) override { log_.Line("volume", volume); }
  void ShowProgressPanel() override { log_.Line("step", "installing the files"); }
  void ShowFileBar(int, int) override {}
  void FileWritten(const std::string& path, uint64_t size) override {
    log_.Line("file", path + " (" + std::to_string(size) + " bytes)");
  }
  void ShowErrorList(const std::vector<std::string>& lines) override {
    errors = kErrorListTitle;
    for (const std::string& line : lines) {
      log_.Line("error", line);
      errors += "\n  " + line;
    }
  }
  std::string errors;

 private:
  SetupLog& log_;
};

class UnattendedActions : public PackageInstallActions {
 public:
  UnattendedActions(package::InstallView& view, SetupLog& log, bool no_shortcut)
      : PackageInstallActions(view), log_(log), no_shortcut_(no_shortcut) {}
  void ClearFolder(const std::string& folder) override {
    log_.Line("step", "emptying " + folder);
    PackageInstallActions::ClearFolder(folder);
  }
  bool InstallPackage(TInsMain& main) override {
    log_.Line("step", "installing variant " + std::to_string(main.InstallVariant) + " into " + main.InstallDir);
    return PackageInstallActions::InstallPackage(main);
  }
  std::optional<std::string> PlaceDesktopShortcut(const std::string& install_dir, const std::string& name) override {
    if (no_shortcut_) {
      log_.Line("step", "no desktop shortcut");
      return std::nullopt;
    }
    std::optional<std::string> placed = PackageInstallActions::PlaceDesktopShortcut(install_dir, name);
    log_.Line("step", placed ? "desktop shortcut " + *placed : "desktop shortcut not written (one exists or no desktop)");
    return placed;
  }
  void RegisterUninstaller(TInsMain& main, package::WorkItemList& journal) override {
    log_.Line("step", "registering the uninstaller " + main.InstallDir + "\\" + package::kUninstallProgramName + " as " +
                          package::UserKeyName(package::kUninstallKey));
    PackageInstallActions::RegisterUninstaller(main, journal);
  }
  void RollingBack() override { log_.Line("step", "undoing the installation"); }
  void RolledBack(const package::RollbackReport& report) override {
    for (const std::string& line : report.steps) log_.Line("step", "undo: " + line);
    for (const std::string& line : report.left) log_.Line("error", "not removed: " + line);
  }

 private:
  SetupLog& log_;
  bool no_shortcut_;
};

// Answers every window of the wizard from the answers.
class UnattendedView : public WizardView {
 public:
  UnattendedView(const SetupAnswers& answers, SetupLog& log, const LoggingSink* sink)
      : answers_(answers), log_(log), sink_(sink) {}
  void HideStartPanel() override { log_.Line("step", "start"); }
  void HideProgressPanel() override {}
  std::optional<int32_t> ShowVariant() override {
    log_.Line("step", "variant " + std::to_string(answers_.variant));
    return answers_.variant;
  }
  bool ShowInsDir(TInsDir& window) override {
    if (window.Terminated()) {
      terminated = true;
      return false;
    }
    window.SetFolderText(answers_.dir);
    window.EdName = answers_.shortcut;
    window.FormShow();
    log_.Line("step", "folder " + answers_.dir + "; " + window.LFree + "; " + window.LReq);
    folder_reached = true;
    const bool accepted = window.KNextClick() == EInsDirClick::eidc_CloseOk;
    if (accepted && window.TookOverUnfinished) {
      log_.Line("step", "folder " + answers_.dir + " holds only an unfinished installation of " +
                            package::kSuiteVersion + ": it is emptied and installed anew");
    }
    messages_before_install = sink_ ? sink_->texts.size() : 0;
    return accepted;
  }
  void ShowSettings(store::TNstr& window) override {
    window = answers_.settings;
    log_.Line("step", "settings");
  }
  void ShowFinish() override { log_.Line("step", "finished"); }
  platform::Size Screen() const override { return platform::ScreenSize(); }
  void CloseMain() override {}

  bool terminated = false;
  bool folder_reached = false;
  size_t messages_before_install = 0;  // messages shown before the installation began

 private:
  const SetupAnswers& answers_;
  SetupLog& log_;
  const LoggingSink* sink_;
};

}  // namespace

// The installation makes the distribution folder current long before the answers are saved.
std::string FromStartFolder(const std::string& path) {
  const bool absolute = (path.size() >= 2 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
  if (path.empty() || absolute) return path;
  const std::string start = platform::CurrentFolder();
  if (start.empty()) return path;
  const char separator = start[0] == '/' ? '/' : '\\';
  return start.back() == separator ? start + path : start + separator + path;
}

namespace {

// Why answers cannot be saved at `path`, found before anything is written; empty when they can.
std::string AnswerFileUnwritable(const std::string& path) {
  switch (platform::KindOf(path)) {
    case platform::FileKind::kRegular:
      return {};
    case platform::FileKind::kFolder:
      return path + ": this is a folder; the answers need a file";
    case platform::FileKind::kSpecial:
      return path + ": not a plain file";
    case platform::FileKind::kMissing:
      break;
  }
  const size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return {};
  const bool root = slash == 0 || (slash == 2 && path[1] == ':');
  const std::string folder = path.substr(0, root ? slash + 1 : slash);
  return platform::FolderExists(folder) ? std::string() : path + ": the folder " + folder + " does not exist";
}

}  // namespace

std::string DistributionFolder(const SetupSwitches& switches) {
  return switches.distribution.empty() ? platform::CurrentFolder() : switches.distribution;
}

std::string ExceptionText(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const messages::ZError& e) {
    return PlainMessageText(messages::MsgText(e.Params(), e.Number()));
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown failure";
  }
}

void NoteLogFailure(const SetupLog& log, ESetupExit& code, std::string& message) {
  if (log.failure().empty()) return;
  const std::string text = "the log could not be written in full: " + PlainMessageText(log.failure());
  if (code == ESetupExit::ese_Done) {
    code = ESetupExit::ese_LogIncomplete;
    message = text;
  } else {
    message += (message.empty() ? "" : "\n") + text;
  }
}

bool RunsWithoutWindows(const std::vector<std::string>& args) {
  return HasAnySwitch(args, {"/SILENT", "/VERYSILENT"});
}

std::string NativeMutexName() {
  std::vector<std::string> items;
  for (const platform::DriveConfig& drive : platform::CurrentConfig().drives) {
    items.push_back(std::string(1, drive.letter) + "=" + drive.folder + "\n");
  }
  std::sort(items.begin(), items.end());  // the map, whatever order its items were given in
  std::string map;
  for (const std::string& item : items) map += item;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(std::hash<std::string>{}(map)));
  return std::string(package::kProductCode) + "-" + hex;
}

std::string PlainMessageText(std::string_view text) {
  if (!text.empty() && text.front() == '~') text.remove_prefix(1);
  std::string plain(text);
  for (char& c : plain)
    if (c == '#') c = ' ';
  return plain;
}

UnattendedResult RunUnattended(const SetupSwitches& switches, messages::MessageSink* shown_sink,
                               const std::function<void(const std::string&)>& progress) {
  UnattendedResult result;
  if (switches.save_inf) {
    if (const std::string why = AnswerFileUnwritable(*switches.save_inf); !why.empty()) {
      return {ESetupExit::ese_CannotStart, "/SAVEINF=" + why};
    }
  }
  std::optional<SetupLog> log;
  try {
    log.emplace(switches.log.value_or(""));
  } catch (...) {
    return {ESetupExit::ese_CannotStart, ExceptionText(std::current_exception())};
  }
  if (switches.ui == EUiLevel::eui_Silent && progress) log->SetEcho(progress);
  log->Line("step", "unattended installation");

  SetupAnswers answers;
  try {
    if (switches.load_inf) LoadAnswers(*switches.load_inf, answers);
  } catch (...) {
    result = {ESetupExit::ese_CannotStart, ExceptionText(std::current_exception())};
    log->Line("error", result.message);
    return result;
  }
  if (switches.dir) answers.dir = *switches.dir;
  if (switches.variant) answers.variant = *switches.variant;
  if (switches.shortcut) answers.shortcut = *switches.shortcut;
  if (switches.no_shortcut) answers.no_shortcut = true;

  const bool may_show = !switches.suppress_msgboxes && switches.ui != EUiLevel::eui_VerySilent;
  LoggingSink sink(*log, may_show ? shown_sink : nullptr);
  messages::ScopedMessageSink scope(&sink);
  LoggedInstallView install_view(*log);
  UnattendedActions actions(install_view, *log, answers.no_shortcut);
  UnattendedView view(answers, *log, &sink);
  // The messages of a failed installation: the error and what undoing it could not remove.
  const auto install_messages = [&](std::string text) {
    for (size_t i = view.messages_before_install; i < sink.texts.size(); ++i) {
      text += (text.empty() ? "" : "\n") + sink.texts[i];
    }
    return text;
  };

  try {
    const bool supported = AgreementAccepted([&] {
      TInsMain main;
      if (!main.FormShow(platform::ScreenSize(), DistributionFolder(switches))) {
        result = {ESetupExit::ese_CannotStart, sink.last};
        return;
      }
      switch (RunWizard(main, view, actions)) {
        case EWizardEnd::ewe_Done:
          result = {ESetupExit::ese_Done, ""};
          break;
        case EWizardEnd::ewe_VariantCancelled:
          result = {ESetupExit::ese_Refused, "cancelled"};
          break;
        case EWizardEnd::ewe_FolderCancelled:
          result = {view.terminated ? ESetupExit::ese_CannotStart : ESetupExit::ese_Refused, sink.last};
          break;
        case EWizardEnd::ewe_PackageFailed:
          result = {ESetupExit::ese_Failed, install_messages(install_view.errors)};
          break;
        case EWizardEnd::ewe_InstallFailed:
          result = {ESetupExit::ese_Failed, install_messages("")};
          break;
      }
    });
    if (!supported) result = {ESetupExit::ese_CannotStart, sink.last};
  } catch (...) {
    result = {view.folder_reached ? ESetupExit::ese_Failed : ESetupExit::ese_CannotStart,
              ExceptionText(std::current_exception())};
  }

  if (switches.save_inf) {
    try {
      SaveAnswers(*switches.save_inf, answers);
    } catch (...) {
      // Answers asked for and not saved are a failure of the run, never a silent success.
      const std::string text = ExceptionText(std::current_exception());
      log->Line("error", text);
      if (result.code == ESetupExit::ese_Done) result = {ESetupExit::ese_CannotStart, "the answers were not saved: " + text};
    }
  }
  if (result.code == ESetupExit::ese_Done) {
    log->Line("step", "installed into " + answers.dir);
  } else {
    log->Line("error", "exit code " + std::to_string(static_cast<int>(result.code)) + ": " + result.message);
  }
  NoteLogFailure(*log, result.code, result.message);
  return result;
}

int RunCommandLine(const std::vector<std::string>& args, bool native_tool, messages::MessageSink* shown_sink,
                   const std::function<void(const std::string&)>& out,
                   const std::function<void(const std::string&)>& err,
                   const std::function<void(const MediumVerifyResult&)>& show_verified,
                   const std::string& distribution) {
  const auto fail = [&](const std::string& text) {
    err(text + "\n");
    return static_cast<int>(ESetupExit::ese_CannotStart);
  };
  std::string error;
  std::optional<SetupSwitches> switches = ParseSwitches(args, native_tool, &error);
  if (!switches) return fail(error + " (/HELP lists the switches)");
  switches->distribution = distribution;
  if (switches->help) {
    out(UsageText(native_tool));
    return static_cast<int>(ESetupExit::ese_Done);
  }
  if (native_tool) {
    if (!platform::ConfigureFromEnvironment(&error)) return fail(error);
    if (!switches->drives.empty()) {
      platform::PlatformConfig config = platform::CurrentConfig();
      for (const platform::DriveConfig& drive : switches->drives) {
        std::erase_if(config.drives, [&](const platform::DriveConfig& d) { return d.letter == drive.letter; });
        config.drives.push_back(drive);
      }
      if (!platform::Configure(config)) return fail("--drive: this system answers for its own drives");
    }
    if (switches->ui == EUiLevel::eui_Windows) switches->ui = EUiLevel::eui_Silent;
  }
  for (std::optional<std::string>* path : {&switches->log, &switches->load_inf, &switches->save_inf}) {
    if (*path) **path = FromStartFolder(**path);
  }
  if (switches->verify) {
    // The distribution the install step would take (TInsMain::StartDir).
    const std::string start_dir = DistributionFolder(*switches);
    const MediumVerifyResult verified =
        RunMediumVerify(*switches, start_dir, [&](const std::string& line) { out(line + "\n"); });
    if (switches->ui == EUiLevel::eui_Windows && show_verified) {
      show_verified(verified);
    } else if (verified.code != ESetupExit::ese_Done) {
      std::string text;
      for (const std::string& line : verified.problems) text += line + "\n";
      err(text + verified.summary + "\n");
    }
    return static_cast<int>(verified.code);
  }
  std::optional<platform::NamedMutex> single;
  if (native_tool) {
    single = platform::NamedMutex::Create(NativeMutexName());
    if (single->valid() && single->already_exists()) return fail(kSecondCopyText);
    platform::UseUserRegistryFile();
  }
  const auto progress = [&](const std::string& line) { out(line + "\n"); };
  const UnattendedResult result = switches->uninstall ? RunUninstall(*switches, shown_sink, progress)
                                                      : RunUnattended(*switches, shown_sink, progress);
  if (result.code != ESetupExit::ese_Done && !result.shown) err(result.message + "\n");
  return static_cast<int>(result.code);
}

}  // namespace tlx::app
