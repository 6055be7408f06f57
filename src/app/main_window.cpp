#include "app/main_window.h"

#include "app/os_version.h"
#include "config/config_record.h"
#include "messages/file_msg.h"
#include "messages/lang_box.h"
#include "messages/msg_wrappers.h"
#include "platform/fs.h"
#include "store/sfile.h"

namespace tlx::app {

void UseRussianMessages() {
  config::Config().SetDocLanguage(config::kLangRussian);
  config::Config().SetInterfaceLanguage(config::kLangRussian);
  // The dialog's buttons and check box follow the controls' language: a message before the main
  // window (1602 over the licence) must not read "Вихід" under a Russian text.
  messages::SetInterfaceLang(messages::elg_Rus);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '\\') path += '\\';
  path += name;
  return path;
}

bool TInsMain::FormShow(platform::Size screen) { return FormShow(screen, platform::CurrentFolder()); }

bool TInsMain::FormShow(platform::Size screen, const std::string& start_dir) {
  messages::SetInterfaceLang(messages::elg_Rus);
  messages::SetFileMsgLang(config::kLangRussian);
  StartDir = start_dir;
  MeasureMode = platform::FileExists(JoinPath(StartDir, kMeasureMarker));
  Measure.enabled = MeasureMode;
  if (!MeasureMode) {
    const std::string config = JoinPath(StartDir, kSetupConfigFile);
    if (!platform::FileExists(config)) {
      UseRussianMessages();
      messages::MsgError("", kMsgNoSetupConfig);
      return false;
    }
    store::SFile file(config, store::kSFileRead);
    uint8_t bytes[kSetupConfigSize] = {};
    uint32_t total = 0;
    while (total < kSetupConfigSize) {
      const uint32_t got = file.Read(bytes + total, kSetupConfigSize - total);
      if (got == 0) break;
      total += got;
    }
    file.Close();
    RequiredSpace = 0;
    for (int i = kSetupConfigSize - 1; i >= 0; --i) RequiredSpace = (RequiredSpace << 8) | bytes[i];
  }
  PanUpdtVisible = false;
  PanCompLeft = (screen.width - kPanCompWidth) / 2;
  PanCompTop = (screen.height - kPanCompHeight) / 2;
  return true;
}

bool AgreementAccepted(const std::function<void()>& run_main) {
  TOSVers version;
  UseRussianMessages();
  if (version.OSFamily() == kUnsupportedFamily) {
    messages::MsgWarning("", kMsgBadSystem);
    return false;
  }
  run_main();
  return true;
}

}  // namespace tlx::app
