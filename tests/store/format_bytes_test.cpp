// The stored formats pinned byte for byte: what the writers put on disk is compared with bytes
// written out by hand from docs/formats.md, so a mistake made alike in a writer and its reader
// (which a round trip would never see) fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "messages/recording_sink.h"
#include "store/compound_builder.h"
#include "store/record_bytes.h"
#include "store/scramble.h"
#include "store/wfile.h"
#include "store/wrec.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::store {
namespace {

// Bytes from their hexadecimal form ("38 00 00 00 ..."; blanks ignored).
std::string Hex(std::string_view text) {
  std::string bytes;
  int high = -1;
  for (char c : text) {
    if (c == ' ' || c == '\n') continue;
    const int digit = c <= '9' ? c - '0' : c - 'A' + 10;
    if (high < 0) {
      high = digit;
    } else {
      bytes += static_cast<char>(high * 16 + digit);
      high = -1;
    }
  }
  return bytes;
}

std::string Spaced(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char b : bytes) {
    if (!text.empty()) text += ' ';
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

class FormatBytesTest : public ::testing::Test {
 protected:
  // The file's bytes, spaced hexadecimal (readable when a test fails).
  std::string Bytes() const { return Spaced(test::ReadNativeFile(drive.NativePath("f.dat"))); }

  test::TempDrive drive;
  test::SinkScope scope;
  std::string name = drive.Path("f.dat");
};

// The keys of the install buffers of volume groups 0, 1 and 2 (P = 29, 30, 31), and of two small
// parameters.
TEST(ScrambleKeys, AreThoseOfTheFormat) {
  struct Case {
    uint32_t p;
    uint16_t header, directory;
  } cases[] = {{29, 0x179A, 0xF788}, {30, 0xAE7C, 0x46B0}, {31, 0x455E, 0x95D8},
               {3, 0xC4A6, 0xED78}, {4, 0x5B88, 0x3CA0}};
  for (uint32_t group = 0; group < 3; ++group) EXPECT_EQ(cases[group].p, group + ScrambleOffset);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.p);
    EXPECT_EQ(HeaderKey(c.p), c.header);
    EXPECT_EQ(DirectoryKey(c.p), c.directory);
  }
  EXPECT_EQ(RecordKey(0x20, 4), 0x0002);
  EXPECT_EQ(RecordKey(0x12345678, 3), 0x8ACF);
  EXPECT_EQ(RecordKey(0x12345678, 36), 0x4567);  // P mod 32
  // The install buffers' record keys are 0 below 512 MiB, 1 GiB and 2 GiB.
  EXPECT_EQ(RecordKey(0x1FFFFFFF, 29), 0);
  EXPECT_EQ(RecordKey(0x20000000, 29), 1);
  EXPECT_EQ(RecordKey(0x3FFFFFFF, 30), 0);
  EXPECT_EQ(RecordKey(0x40000000, 30), 1);
  EXPECT_EQ(RecordKey(0x7FFFFFFF, 31), 0);
}

TEST_F(FormatBytesTest, NewCompoundFile) {
  CreateCompoundFile(name, 3, "");
  EXPECT_EQ(Bytes(), Spaced(Hex("38 00 00 00 03 00 00 00"
                                "20 00 00 00 08 00 00 00 28 00 00 00 08 00 00 00 30 00 00 00 08 00 00 00"
                                "00 FF FF FF FF 01 00 40 00 FF FF FF FF 01 00 40 00 FF FF FF FF 01 00 40")));
}

// The worked example: P = 30 (group 1), three empty logical files: the header and the directory are
// scrambled, the end markers (key 0 below 1 GiB) are not; an end marker at 0x40000000 has key 1.
// Then P = 4, whose record keys scramble small addresses too: the end marker at 0x20 has key 0x0002.
TEST_F(FormatBytesTest, ScrambledCompoundFile) {
  {
    CompoundFileBuilder builder(name, 3, 1 + ScrambleOffset);
    builder.Finish();
  }
  EXPECT_EQ(Bytes(), Spaced(Hex("44 AE 7C AE 7F AE 7C AE"
                                "90 46 B0 46 B8 46 B0 46 98 46 B0 46 B8 46 B0 46 80 46 B0 46 B8 46 B0 46"
                                "00 FF FF FF FF 01 00 40 00 FF FF FF FF 01 00 40 00 FF FF FF FF 01 00 40")));
  uint8_t far_marker[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x40};
  const uint16_t far_key = RecordKey(0x40000000, 1 + ScrambleOffset);
  XorScramble(far_marker, 7, far_key);
  XorScramble(far_marker + 7, 1, far_key);
  const uint8_t far_expected[8] = {0x01, 0xFF, 0xFE, 0xFF, 0xFE, 0x01, 0x01, 0x41};
  EXPECT_TRUE(std::equal(far_marker, far_marker + 8, far_expected));
  {
    CompoundFileBuilder builder(name, 3, 4);
    builder.Finish();
  }
  EXPECT_EQ(Bytes(), Spaced(Hex("B0 5B 88 5B 8B 5B 88 5B"
                                "80 3C A0 3C A8 3C A0 3C 88 3C A0 3C A8 3C A0 3C 90 3C A0 3C A8 3C A0 3C"
                                "02 FF FD FF FD 01 02 42 02 FF FD FF FD 01 02 42 03 FF FC FF FC 01 03 43")));
  // A record of odd length: a whole word, then the odd byte with the key's low byte.
  {
    CompoundFileBuilder builder(name, 1, 4);
    builder.BeginLogical(0);
    builder.AddRecord(0, "3.2.0");
    builder.EndLogical();
    builder.Finish();
  }
  EXPECT_EQ(Bytes(), Spaced(Hex("AC 5B 88 5B 89 5B 88 5B B0 3C A0 3C B4 3C A0 3C"
                                "01 FF FE FF FE 05 01 32 2E 33 2E 31 01 FF FE FF FE 01 01 41")));
  WFile reader(name, ScrambleKey{4});
  EXPECT_EQ(test::LiveRecords(reader, 0), std::vector<std::string>{"3.2.0"});
}

// Two fields "ab" and "c" (fixed size: "ab" and "cd") in logical file 1 of a new file with two:
// one record at the old end address 0x28, then the end marker; the header and entry 1 follow.
TEST_F(FormatBytesTest, PackedFieldModes) {
  struct Mode {
    const char* what;
    std::string delimiter;
    int32_t fixed;
    std::vector<std::string> fields;
    std::string bytes;
  } modes[] = {
      {"delimited", ";", -1, {"ab", "c"},
       "3C 00 00 00 02 00 00 00 18 00 00 00 08 00 00 00 28 00 00 00 14 00 00 00"
       "00 FF FF FF FF 01 00 40 00 FF FF FF FF 01 00 40"
       "00 FF FF FF FF 05 00 61 62 3B 63 3B 00 FF FF FF FF 01 00 40"},
      {"length-prefixed", "", -1, {"ab", "c"},
       "3E 00 00 00 02 00 00 00 18 00 00 00 08 00 00 00 28 00 00 00 16 00 00 00"
       "00 FF FF FF FF 01 00 40 00 FF FF FF FF 01 00 40"
       "00 FF FF FF FF 07 00 02 00 61 62 01 00 63 00 FF FF FF FF 01 00 40"},
      {"fixed size", "", 2, {"ab", "cd"},
       "3B 00 00 00 02 00 00 00 18 00 00 00 08 00 00 00 28 00 00 00 13 00 00 00"
       "00 FF FF FF FF 01 00 40 00 FF FF FF FF 01 00 40"
       "00 FF FF FF FF 04 00 61 62 63 64 00 FF FF FF FF 01 00 40"},
  };
  for (const Mode& mode : modes) {
    SCOPED_TRACE(mode.what);
    CreateCompoundFile(name, 2, "");
    {
      WFile file(name);
      file.BeginFieldWrite(1, mode.delimiter, mode.fixed);
      for (const std::string& field : mode.fields) file.AddField(field.data(), uint32_t(field.size()));
      file.EndFieldWrite(1);
      file.Close();
    }
    EXPECT_EQ(Bytes(), Spaced(Hex(mode.bytes)));
    std::filesystem::remove(drive.NativePath("f.dat"));
  }
}

// "one", "three" in logical file 1; "two" inserted after "one" goes to the end address 0x46 with
// link 0x32 ("three"), "one" gets link 0x46, and the header and entry 1 are written back.
TEST_F(FormatBytesTest, DirectoryAfterAnInsert) {
  CreateCompoundFile(name, 2, "");
  {
    WFile file(name);
    file.BeginLogical(1);
    file.WriteTypedRecord(0, 3, "one");
    file.WriteTypedRecord(0, 5, "three");
    file.EndLogical(1, true);
    file.Close();
  }
  {
    WFile file(name);
    WRec two;
    two.Assign(0, "two");
    file.EditRecord(kEditInsert, 1, two, 0x32, 0x28);
    file.Close();
  }
  EXPECT_EQ(Bytes(), Spaced(Hex("50 00 00 00 02 00 00 00 18 00 00 00 08 00 00 00 28 00 00 00 28 00 00 00"
                                "00 FF FF FF FF 01 00 40 00 FF FF FF FF 01 00 40"
                                "00 46 00 00 00 03 00 6F 6E 65"
                                "00 FF FF FF FF 05 00 74 68 72 65 65"
                                "00 FF FF FF FF 01 00 40"
                                "00 32 00 00 00 03 00 74 77 6F")));
  WFile reader(name, true);
  EXPECT_EQ(test::LiveRecords(reader, 1), (std::vector<std::string>{"one", "two", "three"}));
}

}  // namespace
}  // namespace tlx::store
