#include "app/uninstaller.h"

#include <exception>
#include <optional>
#include <vector>

#include "app/main_window.h"
#include "app/setup_log.h"
#include "config/config_record.h"
#include "messages/file_msg.h"
#include "messages/lang_box.h"
#include "messages/msg_text.h"
#include "messages/msg_wrappers.h"
#include "package/install_record.h"
#include "package/uninstall.h"
#include "package/uninstall_entry.h"
#include "platform/fs.h"

namespace tlx::app {
namespace {

// Logs every message and shows it only when the run may show messages.
class UninstallSink : public messages::MessageSink {
 public:
  UninstallSink(SetupLog& log, messages::MessageSink* shown) : log_(log), shown_(shown) {}
  messages::MessageAnswer Show(const messages::MessageRequest& request) override {
    last = PlainMessageText(request.text);
    log_.Line("message", last);
    if (shown_ != nullptr) return shown_->Show(request);
    messages::MessageAnswer answer;
    answer.button = request.default_button;
    return answer;
  }
  std::string last;

 private:
  SetupLog& log_;
  messages::MessageSink* shown_;
};

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "#") + line;
  return text;
}

}  // namespace

std::string InstallationToRemove(const SetupSwitches& switches) {
  if (switches.dir) return *switches.dir;
  const std::string own = platform::ProgramFolder();
  if (!own.empty() && platform::FileExists(own + "\\" + package::kInstallRecordName)) return own;
  return package::RegisteredInstallLocation();
}

UnattendedResult RunUninstall(const SetupSwitches& switches, messages::MessageSink* shown_sink,
                              const std::function<void(const std::string&)>& progress) {
  std::optional<SetupLog> log;
  try {
    log.emplace(switches.log.value_or(""));
  } catch (...) {
    return {ESetupExit::ese_CannotStart, ExceptionText(std::current_exception())};
  }
  if (switches.ui == EUiLevel::eui_Silent && progress) log->SetEcho(progress);
  const bool asks = switches.ui == EUiLevel::eui_Windows && !switches.suppress_msgboxes;
  const bool may_show = !switches.suppress_msgboxes && switches.ui != EUiLevel::eui_VerySilent;
  UninstallSink sink(*log, may_show ? shown_sink : nullptr);
  messages::ScopedMessageSink scope(&sink);
  // Russian throughout, as the setup program's main window sets it.
  messages::SetInterfaceLang(messages::elg_Rus);
  messages::SetFileMsgLang(config::kLangRussian);
  UseRussianMessages();

  UnattendedResult result;
  const auto finish = [&](ESetupExit code, std::string message) {
    result = {code, std::move(message), may_show && shown_sink != nullptr};
    if (code == ESetupExit::ese_Done) {
      log->Line("step", "uninstalled");
    } else {
      log->Line("error", "exit code " + std::to_string(static_cast<int>(code)) + ": " + result.message);
    }
    const bool had_failed = result.code != ESetupExit::ese_Done;
    NoteLogFailure(*log, result.code, result.message);
    if (!had_failed && result.code != ESetupExit::ese_Done) result.shown = false;  // nobody has seen this yet
    return result;
  };

  const std::string dir = InstallationToRemove(switches);
  log->Line("step", "uninstalling " + (dir.empty() ? std::string("(no installation registered)") : dir));
  try {
    if (dir.empty()) messages::RaiseMsg("", kMsgNotInstalled);
    // Nothing is asked or touched before the record is known to be there.
    package::ReadInstallRecord(dir);
  } catch (const messages::ZError& e) {
    if (e.Number() != kMsgNotInstalled) log->Line("error", ExceptionText(std::current_exception()));
    messages::MsgError(dir, kMsgNotInstalled);
    return finish(ESetupExit::ese_CannotStart, sink.last);
  } catch (...) {
    return finish(ESetupExit::ese_CannotStart, ExceptionText(std::current_exception()));
  }
  if (asks && !messages::MsgQuery(dir, kMsgUninstallQuery)) return finish(ESetupExit::ese_Refused, "not confirmed");

  package::UninstallReport report;
  try {
    report = package::Uninstall(dir);
  } catch (...) {
    const std::string text = ExceptionText(std::current_exception());
    messages::MsgError(text, messages::kMsgFinalText);
    return finish(ESetupExit::ese_Failed, text);
  }
  for (const std::string& line : report.steps) log->Line("step", line);
  for (const std::string& line : report.left) log->Line("error", "not removed: " + line);
  if (!report.left.empty()) {
    messages::MsgError(Lines(report.left), kMsgCannotRemove);
    return finish(ESetupExit::ese_Failed, sink.last);
  }
  if (!report.kept_folders.empty()) {
    messages::MsgInfo(dir + "|" + Lines(report.kept_folders), kMsgUninstalledKept);
  } else {
    messages::MsgInfo("", kMsgUninstalled);
  }
  return finish(ESetupExit::ese_Done, "");
}

}  // namespace tlx::app
