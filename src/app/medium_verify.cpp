#include "app/medium_verify.h"

#include <exception>
#include <optional>

#include "app/setup_log.h"
#include "messages/msg_text.h"
#include "messages/zerror.h"
#include "package/medium_check.h"
#include "platform/fs.h"

namespace tlx::app {
namespace {

// The volume bars as log lines.
class LoggedBars : public package::VolumeProgress {
 public:
  explicit LoggedBars(SetupLog& log) : log_(log) {}
  void ResetVolumeBars(int) override {}
  void ShowVolumeBars(const std::string& volume, int, int) override { log_.Line("volume", volume); }

 private:
  SetupLog& log_;
};

std::string Summary(const package::MediumReport& report) {
  std::string text = "Дистрибутив проверен: томов " + std::to_string(report.volumes) + ", файлов " +
                     std::to_string(report.files.size()) + ", ";
  if (!report.holds()) return text + "найдено ошибок: " + std::to_string(report.problems.size());
  return text + (report.digests ? "ошибок нет (контрольные суммы и SHA-256 совпадают)" : "ошибок нет");
}

}  // namespace

MediumVerifyResult RunMediumVerify(const SetupSwitches& switches, const std::string& start_dir,
                                   const std::function<void(const std::string&)>& progress) {
  MediumVerifyResult result;
  std::optional<SetupLog> log;
  try {
    log.emplace(switches.log.value_or(""));
  } catch (const messages::ZError& e) {
    result.code = ESetupExit::ese_CannotStart;
    result.summary = PlainMessageText(messages::MsgText(e.Params(), e.Number()));
    return result;
  } catch (const std::exception& e) {
    result.code = ESetupExit::ese_CannotStart;
    result.summary = e.what();
    return result;
  }
  if (switches.ui == EUiLevel::eui_Silent && progress) log->SetEcho(progress);
  log->Line("step", "checking the distribution in " + start_dir);
  LoggedBars bars(*log);
  const package::MediumReport report = package::CheckMedium(start_dir, platform::TempFolder(), bars);
  for (const package::MediumProblem& problem : report.problems) {
    log->Line("error", problem.text);
    result.problems.push_back(problem.text);
  }
  result.summary = Summary(report);
  result.code = report.holds() ? ESetupExit::ese_Done : ESetupExit::ese_MediumDamaged;
  log->Line(report.holds() ? "step" : "error", result.summary);
  NoteLogFailure(*log, result.code, result.summary);
  return result;
}

}  // namespace tlx::app
