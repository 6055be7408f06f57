// Size texts and the upper case of link names, each against its table.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "package/size_text.h"
#include "package/upper_name.h"
#include "platform/text.h"

namespace tlx::package {
namespace {

TEST(SizeText, RoundsUpIntoTheLargestUnitBelowTheSize) {
  const struct {
    int64_t size;
    const char* text;
  } cases[] = {
      {0, "0 б"},
      {1024, "1024 б"},
      {1025, "2 Кб"},
      {1 << 20, "1024 Кб"},
      {(1 << 20) + 1, "2 Мб"},
      {200000000, "191 Мб"},
      {int64_t{1} << 30, "1024 Мб"},
      {(int64_t{1} << 30) + 1, "2 Гб"},
      {int64_t{5} << 30, "5 Гб"},
      {INT64_MAX, "8589934592 Гб"},
      {-5, "-5 б"},
      {INT64_MIN, "-9223372036854775808 б"},
  };
  for (const auto& c : cases) EXPECT_EQ(SizeText(c.size), c.text) << c.size;
}

std::string Upper(std::string text) {
  UpperName(text);
  return text;
}

TEST(UpperName, UpperCasesLinkNames) {
  EXPECT_EQ(Upper("ТЛК5_320(1).lnk"), "ТЛК5_320(1).LNK");
  EXPECT_EQ(Upper("тлк5_320 мій ярлик"), "ТЛК5_320 МіЙ ЯРЛИК");  // і has no capital here
  EXPECT_EQ(Upper("єї іґё"), "ЄЇ іґё");
  EXPECT_EQ(Upper("日本 ß"), "日本 ß");
  EXPECT_EQ(Upper(std::string("a\xD1", 2)), std::string("A\xD1", 2));  // cut sequence left alone
}

// Every byte of code page 1251 against the byte rule: а..я -> А..Я, a..z -> A..Z, є -> Є, ї -> Ї, the
// rest unchanged.
TEST(UpperName, FollowsTheByteRuleOverAllOfCodePage1251) {
  for (int b = 1; b < 256; ++b) {
    uint8_t expected = static_cast<uint8_t>(b);
    if (b >= 0xE0) expected = static_cast<uint8_t>(b - 0x20);
    if (b >= 'a' && b <= 'z') expected = static_cast<uint8_t>(b - 0x20);
    if (b == 0xBA) expected = 0xAA;
    if (b == 0xBF) expected = 0xAF;
    const std::string text = platform::Cp1251ToUtf8(std::string(1, static_cast<char>(b)));
    const auto back = platform::Utf8ToCp1251(Upper(text));
    ASSERT_TRUE(back) << b;
    EXPECT_EQ(static_cast<uint8_t>((*back)[0]), expected) << std::hex << b;
  }
}

}  // namespace
}  // namespace tlx::package
