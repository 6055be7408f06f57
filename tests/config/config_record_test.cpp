#include "config/config_record.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tlx::config {
namespace {

TEST(ConfigRecord, StartsZeroAndStoresLittleEndian) {
  ConfigRecord record;
  for (uint8_t b : record.Bytes()) ASSERT_EQ(b, 0);
  record.SetOptionBits(0x22770940);
  EXPECT_EQ(record.Bytes()[0], 0x40);
  EXPECT_EQ(record.Bytes()[3], 0x22);
  record.SetInterfaceLanguage(kLangRussian);
  record.SetDocLanguage(kLangRussian);
  EXPECT_EQ(record.Bytes()[22], 1);
  EXPECT_EQ(record.Bytes()[23], 1);
  record.SetAutoSavePeriodMs(600000);
  EXPECT_EQ(record.U32(24), 600000u);
  EXPECT_EQ(record.Bytes()[24], 0xC0);
  record.SetNsiWordSum(1, 0x01020304);
  EXPECT_EQ(record.Bytes()[121], 0x04);
  EXPECT_EQ(record.NsiWordSum(1), 0x01020304u);
  record.SetAutoSaveTime(0.25);
  EXPECT_EQ(record.AutoSaveTime(), 0.25);
  EXPECT_EQ(record.Bytes()[35], 0x3F);  // 0.25 = 0x3FD0000000000000
  record.SetU32(kConfigRecordSize - 4, 7);
  EXPECT_EQ(record.U32(kConfigRecordSize - 4), 7u);
  record.Clear();
  EXPECT_EQ(record.OptionBits(), 0u);
}

TEST(ConfigRecord, VersionTextStopsAtZeroOrFourteenBytes) {
  ConfigRecord record;
  const char text[] = "5.3.2.0";
  std::copy(text, text + 7, record.Bytes().begin() + cfg::kVersionText);
  EXPECT_EQ(record.VersionText(), "5.3.2.0");
  std::fill_n(record.Bytes().begin() + cfg::kVersionText, 20, uint8_t{'9'});
  EXPECT_EQ(record.VersionText(), std::string(14, '9'));
}

TEST(ConfigRecord, RefusesOffsetsOutsideTheRecord) {
  ConfigRecord record;
  EXPECT_THROW(record.U32(kConfigRecordSize - 3), std::out_of_range);
  EXPECT_THROW(record.SetU8(kConfigRecordSize, 1), std::out_of_range);
  EXPECT_THROW(record.F64(SIZE_MAX), std::out_of_range);
  EXPECT_THROW(record.NsiWordSum(2), std::out_of_range);
}

}  // namespace
}  // namespace tlx::config
