// dialog_demo: shows one message through the message wrappers and the Win32 sink and prints the
// result, for the UI tests.
//
//   dialog_demo KIND [--text T] [--files ERR WARN] [--alarm] [--ukr] [--caption C]
//   dialog_demo box KIND [--text T]        the file layer's box (kinds 0..7)
//
// KIND is a message-dialog kind 0..8. Kind 6 offers the built-in texts 1, 32 and 20 about the file
// named by --text. Prints one line: "result=R button=B checked=C chosen=N".
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "messages/file_msg.h"
#include "messages/lang_box.h"
#include "messages/msg_wrappers.h"
#include "messages/win/message_dialog.h"
#include "messages/win/win_sink.h"
#include "messages/win/window.h"
#include "store/config_record.h"

namespace {

using namespace tlx;

// Records the last answer while the Win32 sink shows the message.
class RecordingSink : public messages::MessageSink {
 public:
  messages::MessageAnswer last;
  messages::MessageAnswer Show(const messages::MessageRequest& request) override {
    last = inner_.Show(request);
    return last;
  }

 private:
  win::Win32MessageSink inner_;
};

// A stand-in for the protocol viewer: a window with the errors file's text.
class Viewer : public win::Window {
 public:
  void Show(HWND owner, const std::string& err_file) {
    win::RegisterWindowClass(L"DemoViewer", reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    if (!Create(L"DemoViewer", L"Протокол", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0,
                win::CentreOnScreen(400, 200), owner)) {
      return;
    }
    std::string text;
    if (FILE* f = _wfopen(win::Wide(err_file).c_str(), L"rb")) {
      char buffer[4096];
      size_t n = fread(buffer, 1, sizeof buffer, f);
      text.assign(buffer, n);
      fclose(f);
    }
    win::CreateChild(hwnd(), L"EDIT", win::Wide(text), WS_VISIBLE | ES_MULTILINE | ES_READONLY, 1,
                     win::Bounds(8, 8, 370, 150), static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
    RunModal(owner);
    if (hwnd() != nullptr) ::DestroyWindow(hwnd());
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == WM_CLOSE) {
      EndModal();
      return 0;
    }
    return Default(message, wparam, lparam);
  }
};

std::string Arg(const std::vector<std::string>& args, const std::string& name, size_t index = 1) {
  for (size_t i = 0; i + index < args.size(); ++i) {
    if (args[i] == name) return args[i + index];
  }
  return {};
}

bool Has(const std::vector<std::string>& args, const std::string& name) {
  for (const auto& a : args) {
    if (a == name) return true;
  }
  return false;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return 2;
  const bool ukr = Has(args, "--ukr");
  store::Config().SetInterfaceLanguage(ukr ? 0 : 1);
  store::Config().SetDocLanguage(ukr ? 0 : 1);
  messages::SetInterfaceLang(ukr ? messages::elg_Ukr : messages::elg_Rus);
  win::SetApplicationTitle(L"dialog_demo");
  win::InstallWin32MessageSink();
  RecordingSink sink;
  messages::SetMessageSink(&sink);
  win::SetProtocolViewer([](HWND owner, const std::string& err, const std::string&) { Viewer().Show(owner, err); });

  const std::string text = Arg(args, "--text");
  const std::string err = Arg(args, "--files", 1), warn = Arg(args, "--files", 2);
  int result = 0;
  if (args[0] == "box") {
    messages::TBsMssg box;
    box.SetCatalogText(ukr ? 0 : 1, 52, text);
    result = box.ShowKind(std::stoi(args.at(1)));
  } else {
    switch (std::stoi(args[0])) {
      case 0: messages::MsgErrorView(text, 99, err, warn); break;
      case 1:
        result = Has(args, "--alarm") ? messages::MsgQueryAlarm(text, 99) : messages::MsgQueryView(text, 99, err, warn);
        break;
      case 2: messages::MsgWarningView(text, 99, err, warn); break;
      case 3: result = messages::MsgThreeWay(text, 99); break;
      case 4:
        result = Has(args, "--caption") ? messages::MsgQueryAskCaption(text, Arg(args, "--caption"))
                                        : messages::MsgQueryAsk(text);
        break;
      case 5: messages::MsgInfoView(text, 99, err, warn); break;
      case 6: {
        const int32_t numbers[] = {1, 32, 20, 0};
        result = messages::MsgChoice(text, numbers);
        break;
      }
      case 7: result = messages::MsgWarningAsk(text, 99); break;
      case 8: result = messages::MsgQueryCancel(text, 99); break;
      default: return 2;
    }
  }
  std::printf("result=%d button=%d checked=%d chosen=%d\n", result, static_cast<int>(sink.last.button),
              sink.last.checked ? 1 : 0, sink.last.chosen);
  std::fflush(stdout);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(tlx::win::Narrow(argv[i]));
  return Run(args);
}
