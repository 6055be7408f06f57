// Shell links: the binary format on its own, and links written and read through the platform. On
// Windows the platform is the system's shell object, so these also check that our format and the
// shell's read each other.
#include <gtest/gtest.h>

#include "platform/file.h"
#include "platform/lnk_format.h"
#include "platform/shell.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::platform {
namespace {

ShellLink ProductLink() {
  ShellLink link;
  link.target = "c:\\tlx5_320\\Exe\\tlx.exe";
  link.description = "ТЛК5_320.LNK";
  link.working_folder = "c:\\tlx5_320\\Exe";
  link.show_command = 1;
  return link;
}

TEST(LnkFormat, EncodeDecodeRoundTrip) {
  for (const char* target : {"c:\\tlx5_320\\Exe\\tlx.exe", "d:\\Програми\\ТЛК\\Exe\\tlx.exe", "c:\\a.exe"}) {
    ShellLink link = ProductLink();
    link.target = target;
    const auto bytes = lnk::EncodeShellLink(link);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->substr(0, 4), std::string("\x4C\0\0\0", 4));
    std::string error;
    const auto back = lnk::DecodeShellLink(*bytes, &error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->target, link.target);
    EXPECT_EQ(back->description, link.description);
    EXPECT_EQ(back->working_folder, link.working_folder);
    EXPECT_EQ(back->show_command, 1);
  }
  ShellLink bare;
  bare.target = "c:\\x.exe";
  const auto bytes = lnk::EncodeShellLink(bare);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(lnk::DecodeShellLink(*bytes)->working_folder, "");

  ShellLink bad = ProductLink();
  bad.target = "c:\\\xC0\x80.exe";
  EXPECT_FALSE(lnk::EncodeShellLink(bad));
}

TEST(LnkFormat, CutAndCorruptBytesRefused) {
  const std::string bytes = *lnk::EncodeShellLink(ProductLink());
  // Every cut before the terminal block is refused without reading past the end.
  for (size_t length = 0; length + 4 < bytes.size(); ++length) {
    std::string error;
    EXPECT_FALSE(lnk::DecodeShellLink(std::string_view(bytes).substr(0, length), &error)) << length;
  }
  std::string wrong_class = bytes;
  wrong_class[4] ^= 1;
  EXPECT_FALSE(lnk::DecodeShellLink(wrong_class));
  // A LinkInfo size beyond the file, and offsets beyond the LinkInfo.
  std::string long_info = bytes;
  long_info[76 + 1] = '\x7F';
  EXPECT_FALSE(lnk::DecodeShellLink(long_info));
  std::string bad_offset = bytes;
  for (int field : {16, 28}) bad_offset[76 + field + 1] = '\x7F';  // base paths, ANSI and Unicode
  EXPECT_FALSE(lnk::DecodeShellLink(bad_offset));
  std::string id_list = bytes;
  id_list[20] |= 1;  // claims a target id list that is not there
  EXPECT_FALSE(lnk::DecodeShellLink(id_list) && lnk::DecodeShellLink(id_list)->target == ProductLink().target);
}

class ShellLinkTest : public testing::Test {
 protected:
  // A link to a program inside the test drive; the Windows shell resolves targets, so it exists.
  ShellLink LinkToProgram(const std::string& description) {
    test::WriteNativeFile(drive_.NativePath("Exe\\tlx.exe"), "MZ");
    ShellLink link;
    link.target = drive_.Path("Exe\\tlx.exe");
    link.working_folder = drive_.Path("Exe");
    link.description = description;
    return link;
  }

  test::TempDrive drive_;
};

TEST_F(ShellLinkTest, WriteThenReadBack) {
  const ShellLink link = LinkToProgram("ТЛК5_320(1).LNK");
  ASSERT_TRUE(WriteShellLink(drive_.Path("ТЛК5_320(1).LNK"), link));
  auto back = ReadShellLink(drive_.Path("ТЛК5_320(1).LNK"));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->target, link.target);
  EXPECT_EQ(back->working_folder, link.working_folder);

  // What the platform wrote, our decoder reads (on Windows: what the shell wrote).
  const std::string bytes = test::ReadNativeFile(drive_.NativePath("ТЛК5_320(1).LNK"));
  std::string error;
  auto decoded = lnk::DecodeShellLink(bytes, &error);
  ASSERT_TRUE(decoded) << error;
  EXPECT_EQ(decoded->target, link.target);
  EXPECT_EQ(decoded->working_folder, link.working_folder);
}

TEST_F(ShellLinkTest, PlatformReadsEncodedBytes) {
  const ShellLink link = LinkToProgram("x.lnk");
  test::WriteNativeFile(drive_.NativePath("x.lnk"), *lnk::EncodeShellLink(link));
  auto back = ReadShellLink(drive_.Path("x.lnk"));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->target, link.target);
  EXPECT_EQ(back->working_folder, link.working_folder);

  test::WriteNativeFile(drive_.NativePath("junk.lnk"), "not a link at all");
  EXPECT_FALSE(ReadShellLink(drive_.Path("junk.lnk")));
  EXPECT_FALSE(ReadShellLink(drive_.Path("missing.lnk")));
}

}  // namespace
}  // namespace tlx::platform
