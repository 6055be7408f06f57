// The Windows version check: classification of every row of the table, the families, and the
// shared record's filling, second query and reset.
#include <gtest/gtest.h>

#include "app/os_version.h"
#include "platform/config.h"

namespace tlx::app {
namespace {

platform::OSVersionRecord Version(uint32_t platform_id, uint32_t major, uint32_t minor, uint32_t build = 0,
                                  uint8_t product_type = 1, uint16_t suite = 0) {
  platform::OSVersionRecord r;
  r.platform_id = platform_id;
  r.major = major;
  r.minor = minor;
  r.build = build;
  r.product_type = product_type;
  r.suite_mask = suite;
  return r;
}

struct Case {
  const char* name;
  platform::OSVersionRecord record;
  uint16_t architecture;
  int server_r2;
  uint16_t code;
  int family;
};

TEST(OSCode, EveryRowAndItsFamily) {
  const uint32_t kHigh = 0x04000000;  // 9x keeps the version in the build's high word
  const Case cases[] = {
      {"Windows 95", Version(1, 4, 0, kHigh | 950), 0, 0, 1, 0},
      {"95 OSR2", Version(1, 4, 0, kHigh | 1000), 0, 0, 2, 0},
      {"95 late", Version(1, 4, 0, kHigh | 1081), 0, 0, 3, 0},
      {"9x before 950", Version(1, 4, 0, 949), 0, 0, 0, 0},
      {"Windows 98", Version(1, 4, 10, kHigh | 1998), 0, 0, 4, 1},
      {"98 SE", Version(1, 4, 10, 2222), 0, 0, 6, 1},
      {"98 between", Version(1, 4, 10, 2182), 0, 0, 5, 1},
      {"98 before 1998", Version(1, 4, 10, 1997), 0, 0, 0, 0},
      {"Me", Version(1, 4, 90, 3000), 0, 0, 7, 1},
      {"9x other minor", Version(1, 4, 50, 3000), 0, 0, 0, 0},
      {"9x version 5", Version(1, 5, 0, 950), 0, 0, 0, 0},
      {"NT 3.51", Version(2, 3, 51), 0, 0, 101, 0},
      {"NT 4.0", Version(2, 4, 0), 0, 0, 102, 2},
      {"2000", Version(2, 5, 0, 2195, 1), 0, 0, 103, 3},
      {"2000 Server", Version(2, 5, 0, 2195, 3), 0, 0, 104, 3},
      {"XP", Version(2, 5, 1), 0, 0, 105, 4},
      {"XP x64", Version(2, 5, 2, 3790, 1), 9, 0, 106, 4},
      {"5.2 workstation x86", Version(2, 5, 2, 3790, 1), 0, 0, 105, 4},
      {"Home Server", Version(2, 5, 2, 3790, 1, 0x8000), 9, 0, 107, 4},
      {"Server 2003", Version(2, 5, 2, 3790, 3), 0, 0, 109, 5},
      {"Server 2003 R2", Version(2, 5, 2, 3790, 3), 0, 1, 110, 5},
      {"Vista", Version(2, 6, 0, 6000, 1), 0, 0, 111, 6},
      {"Server 2008", Version(2, 6, 0, 6001, 3), 0, 0, 112, 7},
      {"7", Version(2, 6, 1, 7601, 1), 0, 0, 120, 8},
      {"Server 2008 R2", Version(2, 6, 1, 7601, 3), 0, 0, 113, 7},
      {"8", Version(2, 6, 2, 9200, 1), 0, 0, 130, 9},
      {"Server 2012 R2", Version(2, 6, 3, 9600, 3), 0, 0, 131, 9},
      {"10", Version(2, 10, 0, 19045, 1), 0, 0, 135, 10},
      {"6.4", Version(2, 6, 4), 0, 0, 0, 0},
      {"10.1", Version(2, 10, 1), 0, 0, 0, 0},
      {"CE", Version(3, 5, 0), 0, 0, 201, 0},
      {"other platform", Version(7, 6, 1), 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OSCode(c.record, c.architecture, c.server_r2), c.code) << c.name;
    EXPECT_EQ(OSFamily(c.code), c.family) << c.name;
  }
  platform::OSVersionRecord empty = Version(2, 6, 1);
  empty.size = 0;
  EXPECT_EQ(OSCode(empty, 9, 0), 0);
  for (uint16_t code : {0, 8, 100, 101, 108, 114, 119, 121, 129, 132, 134, 136, 199, 200, 201, 0xFFFF})
    EXPECT_EQ(OSFamily(code), code == 108 ? 5 : 0) << code;
}

// The POSIX platform answers the version query from its configuration.
class SharedRecordTest : public ::testing::Test {
 protected:
  SharedRecordTest() : saved_(platform::CurrentConfig()) {}
  ~SharedRecordTest() override { platform::Configure(saved_); }
  bool Answer(std::optional<platform::OSVersionRecord> version) {
    platform::PlatformConfig config = platform::CurrentConfig();
    config.os_version = version;
    config.processor_architecture = 0;
    return platform::Configure(config);
  }

 private:
  platform::PlatformConfig saved_;
};

TEST_F(SharedRecordTest, FilledOnceAskedAgainAfterTheLastUser) {
  if (!Answer(Version(2, 6, 1, 7601, 1))) GTEST_SKIP() << "the system answers the version query";
  {
    TOSVers first;
    EXPECT_EQ(TOSVers::Record().size, kFullVersionRecord);  // 120 lies in 103..198: asked again
    EXPECT_EQ(first.OSCode(), 120);
    Answer(Version(2, 5, 2, 3790, 3));
    TOSVers second;  // the record is shared: no new query while a user lives
    EXPECT_EQ(second.OSCode(), 120);
    EXPECT_EQ(TOSVers::Users(), 2);
  }
  EXPECT_EQ(TOSVers::Users(), 0);
  EXPECT_EQ(TOSVers::Record().size, 0u);
  TOSVers third;
  EXPECT_EQ(third.OSCode(), 109);
  EXPECT_EQ(third.OSFamily(), 5);
}

TEST_F(SharedRecordTest, ShortRecordForOlderSystemsAndFailedQuery) {
  if (!Answer(Version(2, 4, 0, 1381, 3))) GTEST_SKIP() << "the system answers the version query";
  {
    TOSVers nt4;
    EXPECT_EQ(TOSVers::Record().size, kShortVersionRecord);
    EXPECT_EQ(TOSVers::Record().product_type, 0);  // not part of the short record
    EXPECT_EQ(nt4.OSFamily(), 2);
  }
  {
    // 2000 Server: the short record reads as 2000 Professional, the extended one tells the truth.
    Answer(Version(2, 5, 0, 2195, 3));
    TOSVers server;
    EXPECT_EQ(server.OSCode(), 104);
  }
  Answer(std::nullopt);
  TOSVers failed;
  EXPECT_EQ(TOSVers::Record().size, 0u);
  EXPECT_EQ(failed.OSCode(), 0);
  EXPECT_EQ(failed.OSFamily(), kUnsupportedFamily);
}

}  // namespace
}  // namespace tlx::app
