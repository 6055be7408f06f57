// Code page 1251, UTF-8 and UTF-16 conversions, and the upper case used to compare file names.
#include <gtest/gtest.h>

#include "platform/text.h"

namespace tlx::platform {
namespace {

TEST(Cp1251, EveryByteRoundTrips) {
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const std::string utf8 = Cp1251ToUtf8(byte);
    EXPECT_TRUE(IsValidUtf8(utf8)) << "byte " << b;
    EXPECT_EQ(Utf8ToCp1251(utf8), byte) << "byte " << b;
  }
  EXPECT_EQ(Cp1251ToUtf8("\x98"), "\xC2\x98");  // the unassigned byte keeps U+0098, as Windows maps it
}

TEST(Cp1251, CyrillicBothWays) {
  struct Case {
    const char* utf8;
    const char* cp1251;
  };
  const Case cases[] = {
      {"Отсутствует файл", "\xCE\xF2\xF1\xF3\xF2\xF1\xF2\xE2\xF3\xE5\xF2 \xF4\xE0\xE9\xEB"},
      {"ЁёЄєІіЇїҐґ", "\xA8\xB8\xAA\xBA\xB2\xB3\xAF\xBF\xA5\xB4"},
      {"АЯая", "\xC0\xDF\xE0\xFF"},
      {"№ «»—€", "\xB9 \xAB\xBB\x97\x88"},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cp1251ToUtf8(c.cp1251), c.utf8);
    EXPECT_EQ(Utf8ToCp1251(c.utf8), std::string(c.cp1251)) << c.utf8;
  }
}

TEST(Cp1251, CharactersOutsideTheCodePage) {
  EXPECT_EQ(Utf8ToCp1251("日本"), std::nullopt);
  EXPECT_EQ(Utf8ToCp1251Lossy("a日b"), "a?b");
  EXPECT_EQ(Utf8ToCp1251Lossy("\xC0\x80"), std::nullopt);  // bad UTF-8 stays an error
}

TEST(Utf8, InvalidFormsRejected) {
  const char* invalid[] = {
      "\xC0\x80",          // overlong NUL
      "\xC1\xBF",          // overlong 0x7F
      "\xE0\x80\xAF",      // overlong '/'
      "\xF0\x80\x80\xAF",  // overlong '/'
      "\xED\xA0\x80",      // surrogate D800
      "\xED\xBF\xBF",      // surrogate DFFF
      "\xF4\x90\x80\x80",  // above U+10FFFF
      "\xF8\x88\x80\x80\x80",
      "\x80",              // stray continuation
      "\xD0",              // cut short
      "\xE2\x82",          // cut short
      "\xD0\x41",          // continuation missing
      "\xFF",
  };
  for (const char* text : invalid) {
    EXPECT_FALSE(IsValidUtf8(text)) << testing::PrintToString(text);
    EXPECT_EQ(Utf8ToCp1251(text), std::nullopt);
    EXPECT_EQ(Utf8ToUtf16(text), std::nullopt);
  }
  EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));  // U+10FFFF
  EXPECT_TRUE(IsValidUtf8("\xEF\xBF\xBF"));      // U+FFFF
}

TEST(Utf16, RoundTripsAndRejectsLoneSurrogates) {
  const std::string text = "ТЛК5_320 \xF0\x9F\x98\x80 ї";
  const auto wide = Utf8ToUtf16(text);
  ASSERT_TRUE(wide);
  EXPECT_EQ(*wide, u"ТЛК5_320 \U0001F600 ї");
  EXPECT_EQ(Utf16ToUtf8(*wide), text);
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), std::nullopt);
  EXPECT_EQ(Utf16ToUtf8(u"a\xDC00"), std::nullopt);
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'\xD83D', u'a'}), std::nullopt);
}

TEST(UpperUtf8, LatinAndCyrillic) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"tlx5_320\\exe\\tlx.exe", "TLX5_320\\EXE\\TLX.EXE"},
      {"абвгдежзийклмнопрстуфхцчшщъыьэюя", "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"},
      {"ёєіїґ", "ЁЄІЇҐ"},
      {"ђѓљњќћўџѕј", "ЂЃЉЊЌЋЎЏЅЈ"},
      {"ТЛК5_320(1).lnk", "ТЛК5_320(1).LNK"},
      {"ÿ№€", "ÿ№€"},  // no case in our comparison
      {"a\xFFz", "A\xFFZ"},  // bytes that are not UTF-8 pass through
  };
  for (const Case& c : cases) EXPECT_EQ(UpperUtf8(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace tlx::platform
