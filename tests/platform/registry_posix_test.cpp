// The POSIX registry file: other keys kept, escapes, a damaged file never written over, and the
// registry in memory when no file is configured.
#include <gtest/gtest.h>

#include "platform/config.h"
#include "platform/error.h"
#include "platform/registry.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::platform {
namespace {

class RegistryFileTest : public ::testing::Test {
 protected:
  RegistryFileTest() : saved_(CurrentConfig()) {
    PlatformConfig config = CurrentConfig();
    config.registry_file = file_;
    Configure(config);
  }
  ~RegistryFileTest() override { Configure(saved_); }

  test::TempDrive drive_;
  const std::string file_ = drive_.NativePath("reg/registry.ini");
  const std::string key_ = "Software\\TlxSetupTests\\Memory";

 private:
  PlatformConfig saved_;
};

TEST_F(RegistryFileTest, TheFileKeepsOtherKeysAndRefusesADamagedFile) {
  ASSERT_TRUE(WriteUserRegistryKey("Software\\A", {RegistryValue::Text("X", "a\\b\"c")}));
  ASSERT_TRUE(WriteUserRegistryKey("Software\\B", {RegistryValue::Number("Y", 0x12ab)}));
  const std::string text = test::ReadNativeFile(file_);
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\A]\n\"X\"=\"a\\\\b\\\"c\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"Y\"=dword:000012ab\n"), std::string::npos) << text;
  ASSERT_TRUE(DeleteUserRegistryKey("Software\\A"));
  EXPECT_TRUE(ReadUserRegistryKey("Software\\B"));

  // A file the registry cannot read is never written over: every operation fails and it stays.
  for (const char* damaged : {"[HKEY_CURRENT_USER\\Software\\B]\n\"Y\"=dword:xyz\n", "\"Y\"=\"no key\"\n",
                              "[HKEY_LOCAL_MACHINE\\Software]\n", "[HKEY_CURRENT_USER\\S]\n\"a\"=\"1\"\n\"A\"=\"2\"\n",
                              "[HKEY_CURRENT_USER\\S]\n\"a\"=\"unclosed\n"}) {
    test::WriteNativeFile(file_, damaged);
    EXPECT_FALSE(ReadUserRegistryKey("Software\\B")) << damaged;
    EXPECT_EQ(LastError(), err::kBadRegistry) << damaged;
    EXPECT_FALSE(WriteUserRegistryKey("Software\\B", {})) << damaged;
    EXPECT_FALSE(DeleteUserRegistryKey("Software\\B")) << damaged;
    EXPECT_EQ(test::ReadNativeFile(file_), damaged);
  }
}

TEST_F(RegistryFileTest, WithoutAFileTheRegistryLivesInMemory) {
  PlatformConfig config = CurrentConfig();
  config.registry_file.reset();
  Configure(config);
  ASSERT_TRUE(WriteUserRegistryKey(key_, {RegistryValue::Number("N", 7)}));
  EXPECT_EQ(ReadUserRegistryKey(key_), (RegistryValues{RegistryValue::Number("N", 7)}));
  EXPECT_FALSE(test::NativeExists(file_));
  EXPECT_TRUE(DeleteUserRegistryKey(key_));
}
}  // namespace
}  // namespace tlx::platform
