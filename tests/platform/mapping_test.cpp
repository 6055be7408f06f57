// Mapped views: whole files read-only, new files read/write, anonymous memory.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/error.h"
#include "platform/mapping.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::platform {
namespace {

class MappingTest : public testing::Test {
 protected:
  test::TempDrive drive_;
};

TEST_F(MappingTest, ReadOnlyViewOfWholeFile) {
  test::WriteNativeFile(drive_.NativePath("a.bin"), "contents");
  Mapping view = Mapping::OpenReadOnly(drive_.Path("a.bin"));
  ASSERT_TRUE(view.valid());
  ASSERT_EQ(view.size(), 8u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(view.data()), 8), "contents");

  Mapping moved = std::move(view);
  EXPECT_FALSE(view.valid());
  EXPECT_TRUE(moved.valid());
  EXPECT_TRUE(moved.Close());
  EXPECT_FALSE(moved.valid());

  test::WriteNativeFile(drive_.NativePath("empty.bin"), "");
  Mapping empty = Mapping::OpenReadOnly(drive_.Path("empty.bin"));
  EXPECT_TRUE(empty.valid());
  EXPECT_EQ(empty.size(), 0u);

  Mapping missing = Mapping::OpenReadOnly(drive_.Path("missing.bin"));
  EXPECT_FALSE(missing.valid());
  EXPECT_EQ(LastError(), err::kFileNotFound);
}

TEST_F(MappingTest, ReadWriteViewOfNewFile) {
  test::WriteNativeFile(drive_.NativePath("out.bin"), "old contents, longer than the new");
  {
    Mapping view = Mapping::CreateReadWrite(drive_.Path("out.bin"), 5);
    ASSERT_TRUE(view.valid());
    ASSERT_EQ(view.size(), 5u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(view.data()), 5), std::string(5, '\0'));
    std::memcpy(view.data(), "hello", 5);
    EXPECT_TRUE(view.Flush());
    EXPECT_TRUE(view.Close());
  }
  EXPECT_EQ(test::ReadNativeFile(drive_.NativePath("out.bin")), "hello");
}

TEST_F(MappingTest, AnonymousMemoryIsZeroed) {
  Mapping memory = Mapping::Anonymous(1 << 20);
  ASSERT_TRUE(memory.valid());
  ASSERT_EQ(memory.size(), 1u << 20);
  EXPECT_EQ(memory.data()[0], 0);
  EXPECT_EQ(memory.data()[(1 << 20) - 1], 0);
  memory.data()[12345] = 7;
  EXPECT_EQ(memory.data()[12345], 7);
}

}  // namespace
}  // namespace tlx::platform
