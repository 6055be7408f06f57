// Scrambled compound files: written by the tools' builder, read back by WFile.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "messages/recording_sink.h"
#include "messages/zerror.h"
#include "store/compound_builder.h"
#include "store/record_bytes.h"
#include "store/scramble.h"
#include "store/wfile.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::store {
namespace {

class ScrambleTest : public ::testing::Test {
 protected:
  // Logical file 0: a manifest line; 1: header record, deleted record, data, odd-sized data.
  void Build(const std::string& file, uint32_t p) {
    CompoundFileBuilder builder(file, 3, p);
    builder.BeginLogical(0);
    builder.AddRecord(0, "0102cfg.tlx");
    builder.BeginLogical(1);
    builder.AddRecord(1, "head");
    builder.AddDeletedRecord(2, "deleted between live records");
    builder.AddRecord(2, std::string(5001, 'd'));
    builder.AddRecord(0, "abc");
    builder.EndLogical();
    builder.Finish();  // logical file 2 gets an empty chain
  }
  std::vector<std::string> Records(WFile& file, uint32_t n) { return test::LiveRecords(file, n); }

  test::TempDrive drive;
  test::SinkScope scope;
};

TEST_F(ScrambleTest, XorIsItsOwnInverseAndAlternatesKeyBytes) {
  uint8_t bytes[7] = {0, 0, 0, 0, 0, 0, 0};
  XorScramble(bytes, 7, 0xA1B2);
  const uint8_t expected[7] = {0xB2, 0xA1, 0xB2, 0xA1, 0xB2, 0xA1, 0xB2};
  EXPECT_TRUE(std::equal(bytes, bytes + 7, expected));
  XorScramble(bytes, 7, 0xA1B2);
  EXPECT_TRUE(std::all_of(bytes, bytes + 7, [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(RecordKey(0x12345678, 4), 0x4567);
  // Each volume group has its own header and directory keys.
  std::set<uint32_t> keys;
  for (uint32_t group = 0; group < 3; ++group) {
    keys.insert(HeaderKey(group + ScrambleOffset));
    keys.insert(DirectoryKey(group + ScrambleOffset) + 0x10000u);
  }
  EXPECT_EQ(keys.size(), 6u);
  EXPECT_EQ(keys.count(0), 0u);
}

// The install buffers' parameter (record keys 0 in a small file: only the header and the directory
// change) and a small one whose record keys hide the records too.
TEST_F(ScrambleTest, ScrambledFileReadsLikeThePlainOne) {
  Build(drive.Path("plain"), 0);
  const std::string plain = test::ReadNativeFile(drive.NativePath("plain"));
  WFile plain_reader(drive.Path("plain"), true);
  for (const uint32_t p : {1 + ScrambleOffset, 4u}) {
    SCOPED_TRACE(p);
    Build(drive.Path("scrambled"), p);
    const std::string scrambled = test::ReadNativeFile(drive.NativePath("scrambled"));
    ASSERT_EQ(plain.size(), scrambled.size());
    const size_t directory_end = 8 + 3 * 8;
    EXPECT_NE(plain.substr(0, 8), scrambled.substr(0, 8));
    EXPECT_NE(plain.substr(8, 24), scrambled.substr(8, 24));
    EXPECT_EQ(plain.substr(directory_end) == scrambled.substr(directory_end), RecordKey(uint32_t(plain.size()), p) == 0);
    // The deleted record's data is stored as it is.
    EXPECT_NE(scrambled.find("deleted between live records"), std::string::npos);
    EXPECT_EQ(scrambled.find("cfg.tlx") == std::string::npos, p == 4);

    WFile reader(drive.Path("scrambled"), ScrambleKey{p});
    EXPECT_EQ(reader.LogicalCount(), 3u);
    for (uint32_t n = 0; n < 3; ++n) {
      EXPECT_EQ(Records(reader, n), Records(plain_reader, n)) << n;
      EXPECT_EQ(reader.LogicalLength(n), plain_reader.LogicalLength(n));
    }
    EXPECT_EQ(Records(reader, 1),
              (std::vector<std::string>{"head", std::string(5001, 'd'), "abc"}));
    EXPECT_EQ(reader.LogicalLength(2), EmptyLogicalSize);
    // Changes would store plain bytes among scrambled ones: refused.
    EXPECT_THROW(reader.BeginLogical(2), messages::ZError);
    EXPECT_THROW(reader.ClearLogical(1), messages::ZError);
  }
}

TEST_F(ScrambleTest, WrongKeyIsRefused) {
  Build(drive.Path("scrambled"), 1 + ScrambleOffset);
  for (uint32_t p : {0u, ScrambleOffset, 2 + ScrambleOffset}) {
    SCOPED_TRACE(p);
    try {
      WFile reader(drive.Path("scrambled"), ScrambleKey{p});
      for (uint32_t n = 0; n < reader.LogicalCount(); ++n) {
        reader.OpenLogical(n);
        WRec rec;
        while (reader.ReadRecord(rec)) {
        }
      }
      ADD_FAILURE() << "read with the wrong key";
    } catch (const messages::ZError& e) {
      EXPECT_NE(e.Params().find(drive.Path("scrambled")), std::string::npos) << e.Params();
    }
  }
}

}  // namespace
}  // namespace tlx::store
