// Shell links through the Windows shell object, checked against the portable .lnk reader and
// writer in both directions (Windows build only).
#include <gtest/gtest.h>

#include <string>

#include "platform/fs.h"
#include "platform/lnk_format.h"
#include "platform/shell.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::platform {
namespace {

struct LinkCase {
  const char* name;
  const char* link_file;
  const char* target;  // below the temporary folder
  const char* description;
  const char* working_folder;  // below the temporary folder
  int show_command;            // one the format keeps: normal 1, maximised 3, minimised 7
};

const LinkCase kCases[] = {
    {"Plain", "app.lnk", "Exe\\tlx.exe", "app.lnk", "Exe", 1},
    {"Cyrillic", "ТЛК5_320.LNK", "Інсталяція ї є ґ\\Exe\\tlx.exe", "ТЛК5_320.LNK",
     "Інсталяція ї є ґ\\Exe", 3},
    {"Blanks", "ТЛК5_320(1).LNK", "Program Files\\Тест 2\\Exe\\tlx.exe", "ТЛК5_320(1).LNK",
     "Program Files\\Тест 2\\Exe", 7},
};

class ShellLinkWinTest : public ::testing::TestWithParam<LinkCase> {
 protected:
  // The case's link with its paths made absolute below the temporary folder; the target exists.
  ShellLink Prepare() {
    const LinkCase& c = GetParam();
    ShellLink link;
    link.target = drive_.Path(c.target);
    link.description = c.description;
    link.working_folder = drive_.Path(c.working_folder);
    link.show_command = c.show_command;
    test::WriteNativeFile(drive_.NativePath(c.target), "MZ");
    return link;
  }
  std::string LinkPath() const { return drive_.Path(GetParam().link_file); }

  test::TempDrive drive_;
};

// Wine's shell object reports every loaded link as shown normally, so the show command is checked
// on the bytes (the portable reader) only.
enum class Reader { Shell, Portable };

void ExpectSameLink(const ShellLink& expected, const ShellLink& actual, Reader reader) {
  EXPECT_EQ(expected.target, actual.target);
  EXPECT_EQ(expected.description, actual.description);
  EXPECT_EQ(expected.working_folder, actual.working_folder);
  if (reader == Reader::Portable) {
    EXPECT_EQ(expected.show_command, actual.show_command);
  }
}

TEST_P(ShellLinkWinTest, ShellObjectWritesWhatItAndThePortableReaderRead) {
  const ShellLink link = Prepare();
  ASSERT_TRUE(WriteShellLink(LinkPath(), link));

  std::optional<ShellLink> shell = ReadShellLink(LinkPath());
  ASSERT_TRUE(shell);
  ExpectSameLink(link, *shell, Reader::Shell);

  std::string error;
  std::optional<ShellLink> portable =
      lnk::DecodeShellLink(test::ReadNativeFile(drive_.NativePath(GetParam().link_file)), &error);
  ASSERT_TRUE(portable) << error;
  ExpectSameLink(link, *portable, Reader::Portable);
}

TEST_P(ShellLinkWinTest, ShellObjectReadsThePortableWriter) {
  const ShellLink link = Prepare();
  std::optional<std::string> bytes = lnk::EncodeShellLink(link);
  ASSERT_TRUE(bytes);
  test::WriteNativeFile(drive_.NativePath(GetParam().link_file), *bytes);

  std::optional<ShellLink> shell = ReadShellLink(LinkPath());
  ASSERT_TRUE(shell);
  ExpectSameLink(link, *shell, Reader::Shell);
}

INSTANTIATE_TEST_SUITE_P(Links, ShellLinkWinTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ShellLinkWin, WhatIsNotALinkReadsAsNothing) {
  test::TempDrive drive;
  test::WriteNativeFile(drive.NativePath("text.lnk"), "not a shell link at all");
  test::WriteNativeFile(drive.NativePath("empty.lnk"), "");
  for (const char* name : {"text.lnk", "empty.lnk", "missing.lnk"}) {
    EXPECT_FALSE(ReadShellLink(drive.Path(name))) << name;
  }
}

TEST(ShellLinkWin, WritingIntoAMissingFolderFails) {
  test::TempDrive drive;
  ShellLink link;
  link.target = drive.Path("tlx.exe");
  EXPECT_FALSE(WriteShellLink(drive.Path("no such folder\\x.lnk"), link));
  EXPECT_FALSE(FileExists(drive.Path("no such folder\\x.lnk")));
}

TEST(ShellLinkWin, TheRegistryNamesAnExistingDesktop) {
  std::optional<std::string> desktop = DesktopFolderFromRegistry();
  ASSERT_TRUE(desktop);
  EXPECT_TRUE(FolderExists(*desktop)) << *desktop;
  NotifyDesktopChanged();  // must return at once without a shell window
}

}  // namespace
}  // namespace tlx::platform
