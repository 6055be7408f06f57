// dialog_demo: shows one message through the message wrappers and the Win32 sink and prints the
// result, for the UI tests.
//
//   dialog_demo KIND [--text T] [--files ERR WARN] [--alarm] [--ukr] [--caption C]
//   dialog_demo box KIND [--text T]        the file layer's box (kinds 0..7)
//   dialog_demo controls                   a form of bilingual controls ("Язык" switches language)
//
// KIND is a message-dialog kind 0..8. Kind 6 offers the built-in texts 1, 32 and 20 about the file
// named by --text. Prints one line: "result=R button=B checked=C chosen=N".
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "config/config_record.h"
#include "messages/file_msg.h"
#include "messages/lang_box.h"
#include "messages/msg_wrappers.h"
#include "messages/win/message_dialog.h"
#include "messages/win/win_sink.h"
#include "messages/win/zcontrols.h"
#include "messages/win/window.h"

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

// A form with one of each bilingual control and a button panel; closes through the panel.
class ControlsForm : public win::Window {
 public:
  int Run() {
    win::RegisterWindowClass(L"DemoControls", reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    font_ = win::MakeFont(L"MS Sans Serif", -11, false, false, false, false, RUSSIAN_CHARSET);
    RECT outer{0, 0, 480, 300};
    ::AdjustWindowRectEx(&outer, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, 0);
    RECT bounds = win::CentreOnScreen(outer.right - outer.left, outer.bottom - outer.top);
    if (!Create(L"DemoControls", L"Элементы", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                WS_EX_CONTROLPARENT, bounds, nullptr)) {
      return -1;
    }
    HFONT f = font_.get();
    label_ = std::make_unique<win::TZLabel>(hwnd(), 10, win::Bounds(16, 12, 200, 16), f);
    label_->CaptionL().Load("", "Надпись", "Напис", std::nullopt);
    group_ = std::make_unique<win::TZGroupBox>(hwnd(), 11, win::Bounds(16, 32, 200, 80), f);
    group_->CaptionL().Load("", "Группа", "Група", std::nullopt);
    check_ = std::make_unique<win::TZCheckBox>(hwnd(), 12, win::Bounds(28, 52, 180, 18), f);
    check_->CaptionL().Load("", "Флажок", "Прапорець", std::nullopt);
    radio_ = std::make_unique<win::TZRadioButton>(hwnd(), 13, win::Bounds(28, 78, 180, 18), f);
    radio_->CaptionL().Load("", "Переключатель", "Перемикач", std::nullopt);
    lang_ = std::make_unique<win::TZMLButton>(hwnd(), 14, win::Bounds(240, 32, 100, 40), f);
    lang_->CaptionL().Load("", "Сменить#язык", "Змінити#мову", std::nullopt);
    save_ = std::make_unique<win::TZButton>(hwnd(), 15, win::Bounds(360, 32, 98, 25), f);
    save_->model().SetDefText(messages::EZBtnPDT_Save);
    save_->Refresh();
    text_ = std::make_unique<win::TZText>(hwnd(), win::Bounds(16, 124, 448, 120));
    text_->model().border = true;
    text_->model().TextR(1) = "Первый абзац текстовой панели, по центру.";
    text_->model().TextU(1) = "Перший абзац текстової панелі, по центру.";
    text_->model().SetHor(1, 1);
    text_->model().TextR(2) = "Второй абзац слева, он достаточно длинный, чтобы переноситься по словам.";
    text_->model().TextU(2) = "Другий абзац ліворуч, він досить довгий, щоб переноситися за словами.";
    panel_ = std::make_unique<win::TZBtnPanel>(hwnd(), f);
    panel_->model().SetKind(messages::PanKinds({messages::EZBtnPan_SaveN, messages::EZBtnPan_SaveY,
                                                messages::EZBtnPan_Fresh, messages::EZBtnPan_Apply}));
    panel_->Rebuild();
    panel_->form_state = &form_;
    form_.modal = false;
    RunModal(nullptr);
    if (hwnd() != nullptr) ::DestroyWindow(hwnd());
    return form_.modal_result;
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    switch (message) {
      case WM_DRAWITEM:
        save_->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
        return TRUE;
      case WM_COMMAND:
        if (LOWORD(wparam) == 14) SwitchLanguage();
        return 0;
      case WM_CLOSE:
        if (panel_->CloseQuery(form_)) EndModal();
        return 0;
      default:
        return Default(message, wparam, lparam);
    }
  }

 private:
  void SwitchLanguage() {
    messages::ELang next = label_->CaptionL().Lang() == messages::elg_Rus ? messages::elg_Ukr : messages::elg_Rus;
    for (win::ZSystemControl* c : std::initializer_list<win::ZSystemControl*>{label_.get(), group_.get(), check_.get(),
                                                                             radio_.get(), lang_.get()}) {
      c->SetLang(next);
    }
    save_->model().CaptionL().SetLang(next);
    save_->Refresh();
    text_->model().SetLang(next);
    ::InvalidateRect(text_->hwnd(), nullptr, TRUE);
  }

  win::UniqueFont font_;
  std::unique_ptr<win::TZLabel> label_;
  std::unique_ptr<win::TZGroupBox> group_;
  std::unique_ptr<win::TZCheckBox> check_;
  std::unique_ptr<win::TZRadioButton> radio_;
  std::unique_ptr<win::TZMLButton> lang_;
  std::unique_ptr<win::TZButton> save_;
  std::unique_ptr<win::TZText> text_;
  std::unique_ptr<win::TZBtnPanel> panel_;
  messages::PanelForm form_;
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
  config::Config().SetInterfaceLanguage(ukr ? 0 : 1);
  config::Config().SetDocLanguage(ukr ? 0 : 1);
  messages::SetInterfaceLang(ukr ? messages::elg_Ukr : messages::elg_Rus);
  win::SetApplicationTitle(L"dialog_demo");
  win::InstallWin32MessageSink();
  win::UseScreenFormScale();
  RecordingSink sink;
  messages::SetMessageSink(&sink);
  win::SetProtocolViewer([](HWND owner, const std::string& err, const std::string&) { Viewer().Show(owner, err); });

  const std::string text = Arg(args, "--text");
  const std::string err = Arg(args, "--files", 1), warn = Arg(args, "--files", 2);
  int result = 0;
  if (args[0] == "controls") {
    result = ControlsForm().Run();
  } else if (args[0] == "box") {
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
