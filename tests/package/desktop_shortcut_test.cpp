// The desktop shortcut: free names among the desktop's links to tlx.exe, one link per installation,
// the desktop fallbacks, and the link's contents read back (Windows: through the shell's link
// object, and its bytes through the portable reader).
#include <gtest/gtest.h>

#include <filesystem>

#include "package/desktop_scope.h"
#include "package/desktop_shortcut.h"
#include "platform/lnk_format.h"
#include "platform/shell.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::package {
namespace {

namespace fs = std::filesystem;
using test::NativeExists;

fs::path FsPath(const std::string& native) { return fs::path(std::u8string(native.begin(), native.end())); }

std::vector<std::string> FilesIn(const std::string& native) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(FsPath(native))) {
    const auto u8 = e.path().filename().u8string();
    names.emplace_back(u8.begin(), u8.end());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class DesktopShortcutTest : public ::testing::Test {
 protected:
  DesktopShortcutTest() { fs::create_directories(FsPath(drive_.NativePath("desk"))); }

  // A link on the desktop to tlx.exe of the installation `install` (below the drive).
  void PutLink(const std::string& name, const std::string& install, const char* program = "tlx.exe") {
    platform::ShellLink link;
    link.target = drive_.Path(install + "\\Exe\\" + program);
    link.working_folder = drive_.Path(install + "\\Exe");
    link.description = name;
    ASSERT_TRUE(platform::WriteShellLink(desktop_ + "\\" + name, link)) << name;
  }

  test::TempDrive drive_;
  std::string desktop_ = drive_.Path("desk");
  test::ScopedDesktop scope_{desktop_, drive_.Path("windows")};
  std::string install_ = drive_.Path("Програми\\ТЛК");
};

TEST_F(DesktopShortcutTest, TakesTheFirstFreeNameAmongLinksToTheProgram) {
  PutLink("ТЛК5_320.LNK", "other1");
  PutLink("тлк5_320(1).lnk", "other2");
  PutLink("ТЛК5_320(3).LNK", "other3");
  PutLink("ТЛК5_320(2).LNK.txt", "other4");  // not a link file: no part in the search

  ASSERT_TRUE(PlaceDesktopShortcut(install_, "ТЛК5_320"));

  const std::string placed = desktop_ + "\\ТЛК5_320(2).LNK";
  ASSERT_TRUE(NativeExists(drive_.NativePath("desk\\ТЛК5_320(2).LNK")));
  const auto link = platform::ReadShellLink(placed);
  ASSERT_TRUE(link);
  EXPECT_EQ(link->target, install_ + "\\Exe\\tlx.exe");
  EXPECT_EQ(link->working_folder, install_ + "\\Exe");
  EXPECT_EQ(link->description, "ТЛК5_320(2).LNK");
  // The bytes the shell wrote, through the portable reader.
  const auto decoded = platform::lnk::DecodeShellLink(test::ReadNativeFile(drive_.NativePath("desk\\ТЛК5_320(2).LNK")));
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->target, install_ + "\\Exe\\tlx.exe");
  EXPECT_EQ(decoded->working_folder, install_ + "\\Exe");
}

TEST_F(DesktopShortcutTest, AnInstallationGetsOneLinkWhateverTheLetterCase) {
  PutLink("Мій ярлик.LNK", "ПРОГРАМИ\\тлк");
  EXPECT_FALSE(PlaceDesktopShortcut(install_, "ТЛК5_320"));
  EXPECT_EQ(FilesIn(drive_.NativePath("desk")), std::vector<std::string>{"Мій ярлик.LNK"});
  // A link to another program with this working folder does not count.
  fs::remove(FsPath(drive_.NativePath("desk\\Мій ярлик.LNK")));
  PutLink("Інше.lnk", "Програми\\ТЛК", "other.exe");
  EXPECT_TRUE(PlaceDesktopShortcut(install_, "ТЛК5_320"));
  EXPECT_TRUE(NativeExists(drive_.NativePath("desk\\ТЛК5_320.LNK")));
}

TEST_F(DesktopShortcutTest, FindsTheLinksToTheProgramOnly) {
  PutLink("a.lnk", "one");
  PutLink("b.LNK", "two", "TLX.EXE");
  PutLink("c.lnk", "three", "notepad.exe");
  test::WriteNativeFile(drive_.NativePath("desk\\d.lnk"), "not a link at all");
  std::vector<std::string> folders{"stale"}, paths{"stale"};
  FindDesktopShortcuts(folders, paths, "tlx.exe");
  EXPECT_EQ(folders, (std::vector<std::string>{drive_.Path("one\\Exe"), drive_.Path("two\\Exe")}));
  EXPECT_EQ(paths, (std::vector<std::string>{desktop_ + "\\a.lnk", desktop_ + "\\b.LNK"}));
}

TEST(FreeShortcutName, SkipsTheNamesTaken) {
  const struct {
    std::vector<std::string> links;
    const char* expected;
  } cases[] = {
      {{}, "ТЛК"},
      {{"d:\\Desk\\тлк.lnk"}, "ТЛК(1)"},
      {{"d:\\Desk\\ТЛК(1).LNK"}, "ТЛК"},
      {{"d:\\Desk\\ТЛК(1).LNK", "ТЛК.LNK", "x\\тлк(2).Lnk"}, "ТЛК(3)"},
  };
  for (const auto& c : cases) EXPECT_EQ(FreeShortcutName("ТЛК", c.links), c.expected);
}

// The registry value's limit counts characters: a Cyrillic path of 260 characters (some 500 bytes
// of UTF-8) is the desktop, one of 261 is not.
TEST(DesktopFolderLimit, CountsCharacters) {
  test::TempDrive drive;
  for (const std::size_t chars : {std::size_t{150}, std::size_t{260}, std::size_t{261}}) {
    SCOPED_TRACE(chars);
    std::string path = "d:\\";
    while (path.size() < 3 + 2 * (chars - 3)) path += "я";
    test::ScopedDesktop scope{path, drive.Path("windows")};
    const std::optional<std::string> desktop = DesktopFolder();
    EXPECT_EQ(desktop.has_value(), chars <= 260);
    if (desktop) {
      EXPECT_TRUE(*desktop == path);
    }
  }
}

// The desktop folder fallbacks below the Windows folder (POSIX, where a test chooses that folder).
TEST(DesktopFallback, UsesTheWindowsFoldersDesktopsInOrderOrWritesNothing) {
  if (!test::ScopedDesktop::ChoosesWindowsFolder()) GTEST_SKIP() << "the system's Windows folder";
  test::TempDrive drive;
  test::ScopedDesktop scope{std::nullopt, drive.Path("windows")};
  fs::create_directories(FsPath(drive.NativePath("windows")));
  EXPECT_FALSE(DesktopFolder());
  EXPECT_FALSE(PlaceDesktopShortcut(drive.Path("inst"), "ТЛК5_320"));
  EXPECT_EQ(FilesIn(drive.NativePath("windows")), std::vector<std::string>{});

  fs::create_directories(FsPath(drive.NativePath("windows\\Рабочий стол")));
  EXPECT_TRUE(PlaceDesktopShortcut(drive.Path("inst"), "ТЛК5_320"));
  EXPECT_TRUE(NativeExists(drive.NativePath("windows\\Рабочий стол\\ТЛК5_320.LNK")));

  fs::create_directories(FsPath(drive.NativePath("windows\\DESKTOP")));
  EXPECT_TRUE(CreateDesktopShortcut(drive.Path("inst\\Exe\\tlx.exe"), "Б.LNK", drive.Path("inst\\Exe")));
  EXPECT_TRUE(NativeExists(drive.NativePath("windows\\DESKTOP\\Б.LNK")));
}

}  // namespace
}  // namespace tlx::package
