// The picker's folder list: the open folder's ancestors from the root down, then its folders sorted,
// each line opening the folder it names.
#include <gtest/gtest.h>

#include "app/dir_list.h"

namespace tlx::app {
namespace {

struct Case {
  const char* open;
  std::vector<std::string> children;
  std::vector<DirListLine> lines;
};

TEST(DirListTest, LinesOfTheOpenFolder) {
  const std::vector<Case> cases = {
      {"c:\\", {"b", "A"}, {{"c:\\", 0, "c:\\"}, {"A", 1, "c:\\A"}, {"b", 1, "c:\\b"}}},
      {"d:", {}, {{"d:\\", 0, "d:\\"}}},
      {"d:\\Programs\\Sub\\",
       {"x"},
       {{"d:\\", 0, "d:\\"}, {"Programs", 1, "d:\\Programs"}, {"Sub", 2, "d:\\Programs\\Sub"},
        {"x", 3, "d:\\Programs\\Sub\\x"}}},
      {"e:\\a", {"Папка"}, {{"e:\\", 0, "e:\\"}, {"a", 1, "e:\\a"}, {"Папка", 2, "e:\\a\\Папка"}}},
  };
  for (const Case& c : cases) {
    const auto lines = DirListLines(c.open, c.children);
    ASSERT_EQ(lines.size(), c.lines.size()) << c.open;
    for (size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i].text, c.lines[i].text) << c.open << " line " << i;
      EXPECT_EQ(lines[i].indent, c.lines[i].indent) << c.open << " line " << i;
      EXPECT_EQ(lines[i].folder, c.lines[i].folder) << c.open << " line " << i;
    }
  }
}

TEST(DirListTest, NoDriveNoLines) { EXPECT_TRUE(DirListLines("c", {"x"}).empty()); }

}  // namespace
}  // namespace tlx::app
