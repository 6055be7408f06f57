// The setup program's entry point: one copy at a time, then either the unattended installer (/SILENT,
// /VERYSILENT; /VERIFY, /UNINSTALL and /HELP too) or the licence agreement as the application's main
// window, with the wizard preset by the other switches. The distribution is the program's own folder.
#include <windows.h>
#include <shellapi.h>

#include <exception>
#include <string>
#include <vector>

#include "app/medium_verify.h"
#include "app/setup_switches.h"
#include "app/unattended.h"
#include "app/wizard_session.h"
#include "app/win/flist_err.h"
#include "app/win/lc_dg.h"
#include "app/win/view_prt.h"
#include "messages/msg_wrappers.h"
#include "messages/uncaught.h"
#include "messages/win/message_dialog.h"
#include "messages/win/win_sink.h"
#include "platform/console.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "platform/win/system_library.h"

namespace {

constexpr char kMutexName[] = "TlxSetup5_320";
constexpr wchar_t kAppTitle[] = L"TlxSetup5_320";

// The arguments after the program's name, UTF-8.
std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (argv == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(tlx::win::Narrow(argv[i]));
  ::LocalFree(argv);
  return args;
}

// True when an argument is /VERYSILENT or /SUPPRESSMSGBOXES (in any letter case), also beside a
// switch that cannot be parsed: such a run never shows a box.
bool AsksForNoBoxes(const std::vector<std::string>& args) {
  return tlx::app::HasAnySwitch(args, {"/VERYSILENT", "/SUPPRESSMSGBOXES"});
}

// The outcome of /VERIFY with windows: the problems in the error list, else an information message.
void ShowVerified(const tlx::app::MediumVerifyResult& result) {
  if (!result.problems.empty()) {
    tlx::appwin::TFListErr(nullptr, result.problems).ShowModal();
  } else if (result.code == tlx::app::ESetupExit::ese_Done) {
    tlx::messages::MsgInfo(result.summary, tlx::messages::kMsgFinalText);
  } else {
    tlx::messages::MsgError(result.summary, tlx::messages::kMsgFinalText);
  }
}

// The unattended installer (and /VERIFY); its texts in the toolkit's plain box unless the switches
// ask for none.
int RunUnattended(const std::vector<std::string>& args) {
  const bool quiet = AsksForNoBoxes(args);
  tlx::win::Win32MessageSink sink;
  const auto show = [quiet](const std::string& text) {
    if (!quiet) tlx::win::PlainMessageBox(nullptr, text);
  };
  return tlx::app::RunCommandLine(args, false, &sink, show, show, ShowVerified, tlx::platform::ProgramFolder());
}

// The licence agreement as the main window and the message loop until it closes; the switches
// preset the windows and log the run. 1 when the log or the answer file cannot be opened.
int RunApplication(tlx::app::SetupSwitches switches) {
  for (std::optional<std::string>* path : {&switches.log, &switches.load_inf, &switches.save_inf}) {
    if (*path) **path = tlx::app::FromStartFolder(**path);
  }
  std::optional<tlx::app::WizardSession> session;
  try {
    session.emplace(switches, tlx::platform::ProgramFolder());
  } catch (...) {
    tlx::messages::ShowUncaught(std::current_exception());
    return 1;
  }
  tlx::appwin::TLcDg agreement(*session);
  agreement.Show();
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (::IsDialogMessageW(agreement.hwnd(), &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything loads a DLL: none from the program's folder (a download folder) or the current
  // one, only from the system folder.
  tlx::platform::win::RestrictDllSearchToSystemFolder();
  // Held until the process ends: a second copy with windows ends silently; one without windows ends
  // with 1 and says why, since 0 would say "installed".
  tlx::platform::NamedMutex single = tlx::platform::NamedMutex::Create(kMutexName);
  if (single.already_exists()) {
    const std::vector<std::string> args = Arguments();
    if (!tlx::app::RunsWithoutWindows(args)) return 0;
    tlx::platform::WriteStd(tlx::platform::StdStream::Err, std::string(tlx::app::kSecondCopyText) + "\n");
    if (!AsksForNoBoxes(args)) tlx::win::PlainMessageBox(nullptr, tlx::app::kSecondCopyText);
    return 1;
  }
  tlx::win::InstallWin32MessageSink();
  tlx::win::UseScreenFormScale();
  tlx::win::SetApplicationTitle(kAppTitle);
  tlx::win::SetProtocolViewer(tlx::appwin::TViewPrt::Open);
  const std::vector<std::string> args = Arguments();
  try {
    // Only /SILENT and /VERYSILENT leave the windows out (and /VERIFY, /UNINSTALL, /HELP and a bad
    // switch have their own ways); any other switch presets the wizard.
    std::string error;
    const std::optional<tlx::app::SetupSwitches> switches = tlx::app::ParseSwitches(args, false, &error);
    if (!switches || !tlx::app::RunsTheWizard(*switches)) return RunUnattended(args);
    return RunApplication(*switches);
  } catch (...) {
    tlx::messages::ShowUncaught(std::current_exception());
  }
  return 0;
}
