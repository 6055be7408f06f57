// The single-instance mutex and the version record.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/process.h"

namespace tlx::platform {
namespace {

TEST(NamedMutex, SecondHolderSeesTheFirst) {
  const std::string name =
      "TlxTest_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
  {
    NamedMutex first = NamedMutex::Create(name);
    ASSERT_TRUE(first.valid());
    EXPECT_FALSE(first.already_exists());
    NamedMutex second = NamedMutex::Create(name);
    ASSERT_TRUE(second.valid());
    EXPECT_TRUE(second.already_exists());
    NamedMutex moved = std::move(first);
    EXPECT_FALSE(first.valid());
    EXPECT_TRUE(moved.valid());
  }
  NamedMutex again = NamedMutex::Create(name);
  ASSERT_TRUE(again.valid());
  EXPECT_FALSE(again.already_exists());
}

TEST(OSVersion, RecordIsFilled) {
  auto version = QueryOSVersion();
  ASSERT_TRUE(version);
  EXPECT_EQ(version->size, 156u);
  EXPECT_GE(version->major, 5u);
  EXPECT_EQ(version->platform_id, 2u);
  EXPECT_GT(ScreenSize().width, 0);
  const Rect desk = DesktopRect();
  EXPECT_LE(desk.bottom - desk.top, ScreenSize().height);
}

}  // namespace
}  // namespace tlx::platform
