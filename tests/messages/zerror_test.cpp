#include "messages/zerror.h"

#include <gtest/gtest.h>

#include <string>

#include "messages/uncaught.h"
#include "platform/error.h"
#include "platform/file.h"
#include "recording_sink.h"
#include "support/temp_drive.h"

namespace tlx::messages {
namespace {

// Opens a file that does not exist, leaving the platform's last error behind.
void FailToOpenMissingFile(const test::TempDrive& drive) {
  platform::OpenOptions options;
  options.disposition = platform::Disposition::OpenExisting;
  platform::File file = platform::File::Open(drive.Path("missing.dat"), options);
  ASSERT_FALSE(file.valid());
  ASSERT_EQ(platform::LastError(), platform::err::kFileNotFound);
}

ZError CatchSysError(std::string_view context) {
  try {
    RaiseSysError(context);
  } catch (const ZError& e) {
    return e;
  }
  ADD_FAILURE() << "RaiseSysError returned";
  return ZError("", 0);
}

TEST(RaiseSysError, DescribesLastErrorOfAFailedOpen) {
  test::TempDrive drive;
  const std::string system = platform::SystemMessage(platform::err::kFileNotFound);
  ASSERT_FALSE(system.empty());
  ASSERT_NE(system.back(), '\n');

  const struct {
    const char* context;
    std::string expected;
  } cases[] = {
      {"a.dat", "a.dat#(" + system + "[Win=00000002])"},
      {"", system + "[Win=00000002]"},
  };
  for (const auto& c : cases) {
    FailToOpenMissingFile(drive);
    const ZError e = CatchSysError(c.context);
    EXPECT_EQ(e.Number(), kMsgWholeText);
    EXPECT_EQ(e.Params(), c.expected);
    EXPECT_STREQ(e.what(), c.expected.c_str());
  }
}

TEST(RaiseSysError, CodeInEightUpperCaseHexDigits) {
  platform::SetLastError(0xE40000AB);
  const ZError e = CatchSysError("x");
  const std::string tail = "[Win=E40000AB])";
  ASSERT_GE(e.Params().size(), tail.size());
  EXPECT_EQ(e.Params().substr(e.Params().size() - tail.size()), tail);
  EXPECT_EQ(e.Params().rfind("x#(", 0), 0u);
  EXPECT_EQ(SysErrorText(5).substr(SysErrorText(5).size() - 14), "[Win=00000005]");
}

TEST(ZError, CarriesNumberAndRawParameters) {
  try {
    RaiseMsg("a.txt|b", 10);
    FAIL() << "RaiseMsg returned";
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number(), 10);
    EXPECT_EQ(e.HelpContext(), 10);
    EXPECT_EQ(e.Params(), "a.txt|b");
    EXPECT_STREQ(e.what(), "a.txt|b");
  }
}

TEST(TZExcept, HelpContextIsCodeOrSystemCode) {
  const TZExcept own(kFileLayerCodeBase + 52, 0, "f.dat");
  EXPECT_EQ(static_cast<uint32_t>(own.HelpContext()), 0xE4000034u);
  EXPECT_EQ(own.FileName, "f.dat");
  EXPECT_STREQ(own.what(), "");
  const TZExcept sys(0, 32, "");
  EXPECT_EQ(sys.HelpContext(), 32);
  EXPECT_EQ(sys.SysCode, 32u);
}

TEST(ShowUncaught, ShowsRawTextInStandardBox) {
  const struct {
    std::exception_ptr error;
    const char* expected;
  } cases[] = {
      {std::make_exception_ptr(ZError("a.txt|b", 10)), "a.txt|b"},
      {std::make_exception_ptr(std::runtime_error("сбой")), "сбой"},
      {std::make_exception_ptr(42), "Исключение неизвестного типа"},
  };
  for (const auto& c : cases) {
    test::SinkScope scope;
    ShowUncaught(c.error);
    ASSERT_EQ(scope.sink.requests.size(), 1u);
    EXPECT_EQ(scope.sink.requests[0].style, EMsgStyle::ems_Standard);
    EXPECT_EQ(scope.sink.requests[0].text, c.expected);
    EXPECT_EQ(UncaughtText(c.error), c.expected);
  }
  EXPECT_EQ(UncaughtText(nullptr), "");
}

}  // namespace
}  // namespace tlx::messages
