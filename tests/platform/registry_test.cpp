// The current user's registry keys: natively the INI-style file, under Wine the real registry.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/config.h"
#include "platform/error.h"
#include "platform/registry.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::platform {
namespace {

// A key of its own per run, and natively a registry file in a fresh folder; both go afterwards.
class RegistryTest : public ::testing::Test {
 protected:
  RegistryTest() : saved_(CurrentConfig()) {
    PlatformConfig config = CurrentConfig();
    config.registry_file = file_;
    Configure(config);
  }
  ~RegistryTest() override {
    DeleteUserRegistryKey(key_ + "\\Sub");
    DeleteUserRegistryKey(key_);
    Configure(saved_);
  }

  test::TempDrive drive_;
  const std::string file_ = drive_.NativePath("reg/registry.ini");
  const std::string key_ = "Software\\TlxSetupTests\\Run" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());

 private:
  PlatformConfig saved_;
};

TEST_F(RegistryTest, WritesReadsReplacesAndDeletesAKey) {
  EXPECT_FALSE(ReadUserRegistryKey(key_));
  EXPECT_EQ(LastError(), err::kFileNotFound);
  const RegistryValues values = {
      RegistryValue::Text("DisplayName", "ТЛК 5 (редакция 3.2.0)"),
      RegistryValue::Text("UninstallString", "\"c:\\Мои программы\\tlx\\Uninstall.exe\" /UNINSTALL"),
      RegistryValue::Text("Empty", ""),
      RegistryValue::Number("EstimatedSize", 0xFFFFFFFFu),
      RegistryValue::Number("NoModify", 1),
  };
  ASSERT_TRUE(WriteUserRegistryKey(key_, values)) << LastError();
  std::optional<RegistryValues> back = ReadUserRegistryKey(key_);
  ASSERT_TRUE(back);
  for (const RegistryValue& value : values) {
    const RegistryValue* found = FindRegistryValue(*back, value.name);
    ASSERT_NE(found, nullptr) << value.name;
    EXPECT_EQ(*found, value) << value.name;
  }
  EXPECT_EQ(back->size(), values.size());
  ASSERT_NE(FindRegistryValue(*back, "displayname"), nullptr);  // names as Windows compares them

  // Writing again leaves exactly the new values; the key's name in another letter case is the same key.
  ASSERT_TRUE(WriteUserRegistryKey(key_, {RegistryValue::Text("DisplayVersion", "3.2.0")}));
  std::string upper = key_;
  for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  back = ReadUserRegistryKey(upper);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, (RegistryValues{RegistryValue::Text("DisplayVersion", "3.2.0")}));

  // A key with a subkey is not deleted; without it, it is, and deleting it again is no failure.
  ASSERT_TRUE(WriteUserRegistryKey(key_ + "\\Sub", {}));
  EXPECT_FALSE(DeleteUserRegistryKey(key_));
  EXPECT_TRUE(ReadUserRegistryKey(key_));
  EXPECT_TRUE(DeleteUserRegistryKey(key_ + "\\Sub"));
  EXPECT_TRUE(DeleteUserRegistryKey(key_));
  EXPECT_FALSE(ReadUserRegistryKey(key_));
  EXPECT_TRUE(DeleteUserRegistryKey(key_));
}


}  // namespace
}  // namespace tlx::platform
