#include "app/view_prt.h"

#include "config/config_record.h"
#include "platform/text.h"
#include "store/sfile.h"

namespace tlx::app {

std::string ProtocolCaption(std::string_view file) {
  std::string caption = "ТЛК-5 (";
  caption += kVersionLabel;
  caption += config::Config().InterfaceLanguage() == config::kLangRussian ? ")       Просмотр файла "
                                                                          : ")       Перегляд файла ";
  caption += file;
  return caption;
}

ViewPrtStart ViewPrtFormShow(const std::string& war_file, const std::string& err_file) {
  ViewPrtStart start;
  start.buttons_visible = !war_file.empty() && !err_file.empty();
  start.first_file = err_file.empty() ? war_file : err_file;
  return start;
}

std::string LoadProtocolText(const std::string& file) {
  store::SFile in(file, store::kSFileRead);
  std::string bytes;
  char block[4096];
  for (;;) {
    const uint32_t got = in.Read(block, sizeof block);
    if (got == 0) break;
    bytes.append(block, got);
  }
  in.Close();
  return platform::Cp1251ToUtf8(bytes);
}

std::string ViewerText(std::string_view caption, std::string_view file_text) {
  std::string text(caption);
  text += "\r\n";
  text += file_text;
  return text;
}

}  // namespace tlx::app
