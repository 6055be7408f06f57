// Packed fields: the three modes, fields across record boundaries, cursors and the errors.
#include <gtest/gtest.h>

#include <filesystem>

#include "messages/recording_sink.h"
#include "messages/zerror.h"
#include "store/wfile.h"
#include "support/temp_drive.h"

namespace tlx::store {
namespace {

class FieldsTest : public ::testing::Test {
 protected:
  test::TempDrive drive;
  test::SinkScope scope;
  std::string name = drive.Path("f.dat");
};

TEST_F(FieldsTest, AllModesRoundTripAcrossRecordBoundaries) {
  struct Mode {
    const char* what;
    std::string delimiter;
    int32_t fixed;
  } modes[] = {{"delimited", "\r\n", -1}, {"length-prefixed", "", -1}, {"fixed", "", 1000}};
  for (const Mode& mode : modes) {
    SCOPED_TRACE(mode.what);
    std::filesystem::remove(drive.NativePath("f.dat"));
    CreateCompoundFile(name, 2, "");
    std::vector<std::string> fields;
    for (int i = 0; i < 45; ++i) {
      std::string field = mode.fixed > 0 ? std::string(1000, 'a' + i % 26)
                                         : std::string(1 + i * 97 % 1500, char('a' + i % 26));
      fields.push_back(field);
    }
    {
      WFile file(name);
      file.BeginFieldWrite(1, mode.delimiter, mode.fixed);
      for (const std::string& f : fields) file.AddField(f.data(), uint32_t(f.size()));
      file.EndFieldWrite(1);
      // The fields filled more than two records, none above the packing limit.
      file.OpenLogical(1);
      WRec rec;
      int records = 0;
      while (file.ReadRecord(rec)) {
        ++records;
        EXPECT_LE(rec.length, kFieldPackLimit);
      }
      EXPECT_GE(records, 2);
    }
    WFile file(name, true);
    file.BeginFieldRead(1, mode.delimiter, mode.fixed);
    std::string_view field;
    std::vector<FieldCursor> cursors;
    for (const std::string& expected : fields) {
      ASSERT_TRUE(file.NextField(&field));
      EXPECT_EQ(field, expected);
      cursors.push_back(file.LastFieldCursor());
    }
    EXPECT_FALSE(file.NextField(&field));
    EXPECT_TRUE(field.empty());
    // A cursor re-positions at its field, also inside a later record.
    ASSERT_TRUE(file.NextField(cursors[40], &field));
    EXPECT_EQ(field, fields[40]);
    ASSERT_TRUE(file.NextField(&field));
    EXPECT_EQ(field, fields[41]);
    char copy[1500];
    uint16_t length = 0;
    ASSERT_TRUE(file.NextField(copy, sizeof copy, &length));
    EXPECT_EQ(std::string(copy, length), fields[42]);
  }
}

TEST_F(FieldsTest, Errors) {
  CreateCompoundFile(name, 2, "");
  WFile file(name);
  file.BeginFieldWrite(1, ";", -1);
  try {
    file.AddField("", 0);
    FAIL();
  } catch (const messages::ZError& e) {
    EXPECT_EQ(e.Params(), "Для файла " + name + " задана нулевая длина логической записи1");
  }
  const std::string big(kFieldPackLimit, 'x');
  EXPECT_THROW(file.AddField(big.data(), uint32_t(big.size())), messages::ZError);
  file.AddField("no", 2);
  file.EndFieldWrite(1);

  // Read with another delimiter: no end of field in the record.
  file.BeginFieldRead(1, "|", -1);
  std::string_view field;
  try {
    file.NextField(&field);
    FAIL();
  } catch (const messages::ZError& e) {
    EXPECT_EQ(e.Params(), "Для файла " + name + " не найден конец логической записи");
  }
  // Read as length-prefixed: "no" claims 0x6F6E bytes.
  file.BeginFieldRead(1, "", -1);
  try {
    file.NextField(&field);
    FAIL();
  } catch (const messages::ZError& e) {
    EXPECT_EQ(e.Params(), "Для файла " + name + " длина записи превышает длину остатка буфера");
  }
}

TEST_F(FieldsTest, SimpleFileFields) {
  const std::string simple = drive.Path("s.dat");
  {
    WFile file(simple, SimpleMode::CreateReplace);
    file.BeginFieldWrite(0, "", -1);
    file.AddField("one", 3);
    file.AddField("two", 3);
  }  // closing flushes the packing buffer and writes the end marker
  WFile file(simple, SimpleMode::Read);
  file.BeginFieldRead(0, "", -1);
  std::string_view field;
  ASSERT_TRUE(file.NextField(&field));
  EXPECT_EQ(field, "one");
  ASSERT_TRUE(file.NextField(&field));
  EXPECT_EQ(field, "two");
  EXPECT_FALSE(file.NextField(&field));
}

}  // namespace
}  // namespace tlx::store
