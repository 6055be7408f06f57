// The protocol viewer (TViewPrt) without its window: its caption, which file it shows first, whether
// the two file buttons are shown, and the text it shows for a file.
#pragma once
#include <string>
#include <string_view>

namespace tlx::app {

// The suite's version label in the viewer's caption.
inline constexpr char kVersionLabel[] = "5-3.2.0";

// "ТЛК-5 (" + version + ")       Просмотр файла " (Russian interface byte) or
// ")       Перегляд файла " + `file`.
std::string ProtocolCaption(std::string_view file);

struct ViewPrtStart {
  bool buttons_visible = true;  // kWar and kErr
  std::string first_file;       // the errors file when given, else the inaccuracies file
};

// What FormShow does with the two names (either may be empty).
ViewPrtStart ViewPrtFormShow(const std::string& war_file, const std::string& err_file);

// The text of a protocol file (code page 1251 on disk) in UTF-8. Raises the file layer's errors.
std::string LoadProtocolText(const std::string& file);

// The text of the field for `file_text`: the caption as a new first line.
std::string ViewerText(std::string_view caption, std::string_view file_text);

}  // namespace tlx::app
