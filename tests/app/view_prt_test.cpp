// The protocol viewer without its window: caption per interface language, which file comes first,
// when the two file buttons show, and the caption as the text's first line.
#include <gtest/gtest.h>

#include "app/view_prt.h"
#include "config/config_record.h"

namespace tlx::app {
namespace {

TEST(ViewPrtTest, CaptionFollowsTheInterfaceLanguage) {
  const uint8_t before = config::Config().InterfaceLanguage();
  config::Config().SetInterfaceLanguage(config::kLangRussian);
  EXPECT_EQ(ProtocolCaption("c:\\e.txt"), "ТЛК-5 (5-3.2.0)       Просмотр файла c:\\e.txt");
  config::Config().SetInterfaceLanguage(0);
  EXPECT_EQ(ProtocolCaption("c:\\e.txt"), "ТЛК-5 (5-3.2.0)       Перегляд файла c:\\e.txt");
  config::Config().SetInterfaceLanguage(before);
}

TEST(ViewPrtTest, ErrorsFirstButtonsOnlyWithBothFiles) {
  const struct {
    const char* war;
    const char* err;
    bool buttons;
    const char* first;
  } cases[] = {{"w", "e", true, "e"}, {"w", "", false, "w"}, {"", "e", false, "e"}};
  for (const auto& c : cases) {
    const ViewPrtStart start = ViewPrtFormShow(c.war, c.err);
    EXPECT_EQ(start.buttons_visible, c.buttons) << c.war << "|" << c.err;
    EXPECT_EQ(start.first_file, c.first) << c.war << "|" << c.err;
  }
}

TEST(ViewPrtTest, TheFilesFirstLineBecomesTheSecond) {
  EXPECT_EQ(ViewerText("cap", "line 1\r\nline 2"), "cap\r\nline 1\r\nline 2");
}

}  // namespace
}  // namespace tlx::app
