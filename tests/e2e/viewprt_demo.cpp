// Opens setup.exe's protocol viewer TViewPrt for the end-to-end test:
//   viewprt_demo ERRFILE WARFILE     (either may be "" for none)
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "app/win/view_prt.h"
#include "config/config_record.h"
#include "messages/lang_box.h"
#include "messages/win/win_sink.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (argv == nullptr || count != 3) return 2;
  const std::string err_file = tlx::win::Narrow(argv[1]);
  const std::string war_file = tlx::win::Narrow(argv[2]);
  ::LocalFree(argv);
  tlx::win::InstallWin32MessageSink();
  // Russian as the setup program has it after its main window first showed.
  tlx::messages::SetInterfaceLang(tlx::messages::elg_Rus);
  tlx::config::Config().SetInterfaceLanguage(tlx::config::kLangRussian);
  tlx::appwin::TViewPrt::Open(nullptr, err_file, war_file);
  return 0;
}
