// tlx.exe of the sample suite: a stand-in for the suite's program. It starts as the suite does
// (finds its CFG folder, checks and loads the aliases and Cfg.tlx), writes what it read into
// tlxreport.txt beside itself and shows the same text.
#include <exception>
#include <string>

#include "config/config_record.h"
#include "messages/message_sink.h"
#include "messages/win/win_sink.h"
#include "platform/text.h"
#include "store/aliases.h"
#include "store/sfile.h"
#include "tools/tlxpack/error_text.h"

namespace {

void Show(const std::string& text, tlx::messages::EMsgKind kind) {
  tlx::messages::MessageRequest request;
  request.style = tlx::messages::EMsgStyle::ems_Dialog;
  request.kind = kind;
  request.text = text;
  tlx::messages::CurrentMessageSink().Show(request);
}

std::string Report() {
  using namespace tlx::store;
  const std::string cfg_folder = FindCfgFolder();
  std::string root = CfgProductFolder();
  while (!root.empty() && root.back() == '\\') root.pop_back();
  SetProductRoot(root);
  if (LoadAliases(false) != 0) return {};  // the start check has shown its message
  const tlx::config::ConfigRecord& config = tlx::config::Config();
  std::string text = "Папка продукта: " + root + "\r\nПапка CFG: " + cfg_folder + "\r\n";
  text += "Версия: " + tlx::platform::Cp1251ToUtf8(config.VersionText()) + "\r\n";
  text += "Язык документов: " + std::to_string(config.DocLanguage()) +
          ", язык интерфейса: " + std::to_string(config.InterfaceLanguage()) + "\r\n";
  text += "Вид установки: " + std::to_string(config.InstallKind()) + "\r\n";
  for (size_t i = 0; i < config.Texts().size(); ++i) text += "Текст " + std::to_string(i) + ": " + config.Texts()[i] + "\r\n";
  for (const char* name : {"CFG#cfg.tlx", "EXE#alias.tlx", "NSI#", "LBN#", "ETALON#"}) {
    text += std::string(name) + " -> " + ResolveName(name) + "\r\n";
  }
  SFile report(ExeFolder() + "tlxreport.txt", kSFileCreateReplace);
  const std::string bytes = "\xEF\xBB\xBF" + text;
  report.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
  report.Close();
  return text;
}

}  // namespace

int main() {
  tlx::win::InstallWin32MessageSink();
  try {
    const std::string text = Report();
    if (text.empty()) return 1;
    Show(text, tlx::messages::EMsgKind::emk_Info);
    return 0;
  } catch (const std::exception& error) {
    Show(tlx::tlxpack::ErrorText(error), tlx::messages::EMsgKind::emk_Error);
    return 1;
  }
}
