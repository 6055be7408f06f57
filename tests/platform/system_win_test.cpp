// The Win32 layer's answers about drives, the system and its messages (Windows build only).
#include <gtest/gtest.h>

#include <string>

#include "platform/config.h"
#include "platform/drives.h"
#include "platform/error.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/process.h"

namespace tlx::platform {
namespace {

// The first drive letter the system does not have, from 'z' down.
char MissingLetter() {
  const uint32_t mask = LogicalDrives();
  for (char letter = 'z'; letter > 'c'; --letter) {
    if (!(mask & (1u << (letter - 'a')))) return letter;
  }
  return 0;
}

TEST(DrivesWin, TypeAndFreeSpaceOfPresentAndMissingDrives) {
  ASSERT_TRUE(LogicalDrives() & (1u << ('c' - 'a')));
  EXPECT_EQ(DriveType::Fixed, GetDriveType("c:"));
  EXPECT_EQ(DriveType::Fixed, GetDriveType("C:\\"));
  // A folder that does not exist yet still tells the space of its drive.
  std::optional<uint64_t> free = FreeBytes("c:\\no such folder\\below");
  ASSERT_TRUE(free);
  EXPECT_GT(*free, 0u);

  const char missing = MissingLetter();
  ASSERT_NE(0, missing);
  const std::string root = std::string(1, missing) + ":";
  EXPECT_EQ(DriveType::NoRootDir, GetDriveType(root));
  EXPECT_FALSE(FreeBytes(root + "\\x"));
  EXPECT_NE(err::kSuccess, LastError());
}

TEST(ErrorWin, SystemMessageHasNoLineBreakAndKeepsTheLastError) {
  SetLastError(err::kSharingViolation);
  const std::string text = SystemMessage(err::kFileNotFound);
  EXPECT_EQ(err::kSharingViolation, LastError());
  ASSERT_FALSE(text.empty());
  EXPECT_NE('\n', text.back());
  EXPECT_NE('\r', text.back());
  EXPECT_EQ("", SystemMessage(0x2FFFFFFF));  // no such message
}

TEST(ErrorWin, TextThatIsNotUtf8IsAnInvalidName) {
  const std::string bad = "c:\\\xFF\xFE.txt";
  EXPECT_FALSE(FileExists(bad));
  EXPECT_EQ(err::kInvalidName, LastError());
  File file = File::Open(bad, OpenOptions{Access::Write, kShareNone, Disposition::CreateAlways});
  EXPECT_FALSE(file.valid());
  EXPECT_EQ(err::kInvalidName, LastError());
}

TEST(SystemWin, FoldersVersionAndScreen) {
  const std::string program = ProgramFolder();
  EXPECT_TRUE(FolderExists(program)) << program;
  EXPECT_NE('\\', program.back());
  const std::string windows = WindowsFolder();
  EXPECT_TRUE(FolderExists(windows)) << windows;

  std::optional<OSVersionRecord> version = QueryOSVersion();
  ASSERT_TRUE(version);
  EXPECT_EQ(156u, version->size);
  EXPECT_EQ(2u, version->platform_id);  // NT
  EXPECT_GE(version->major, 5u);

  const Size screen = ScreenSize();
  const Rect work = DesktopRect();
  EXPECT_GT(screen.width, 0);
  EXPECT_GT(screen.height, 0);
  EXPECT_GE(work.left, 0);
  EXPECT_GE(work.top, 0);
  EXPECT_LE(work.right, screen.width);
  EXPECT_LE(work.bottom, screen.height);
  EXPECT_LT(work.left, work.right);
}

TEST(ConfigWin, OnlyTheDefaultConfigurationIsAccepted) {
  EXPECT_TRUE(Configure(PlatformConfig{}));
  PlatformConfig drives;
  drives.drives.push_back(DriveConfig{});
  PlatformConfig desktop;
  desktop.desktop_folder = "c:\\desktop";
  PlatformConfig version;
  version.os_version = DefaultOSVersion();
  for (const PlatformConfig* config : {&drives, &desktop, &version}) {
    EXPECT_FALSE(Configure(*config));
  }
  EXPECT_EQ("c:\\Any\\Path.txt", NativePath("c:\\Any\\Path.txt"));
}

}  // namespace
}  // namespace tlx::platform
