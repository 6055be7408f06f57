#include "messages/text_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "messages/fake_measurer.h"

namespace tlx::messages {
namespace {

using test::FakeMeasurer;

std::vector<std::string> Lines(std::string_view text, const TextLayout& layout) {
  std::vector<std::string> lines;
  for (const LayoutLine& line : layout.lines) lines.emplace_back(text.substr(line.start, line.length));
  return lines;
}

struct LayoutCase {
  const char* name;
  std::string text;
  int width;  // pixels: 6 per character
  std::vector<std::string> lines;
};

class LayoutCases : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutCases, BreaksAsExpected) {
  const LayoutCase& c = GetParam();
  FakeMeasurer m;
  TextLayout layout = LayoutText(c.text, c.width, m);
  EXPECT_EQ(Lines(c.text, layout), c.lines);
  EXPECT_EQ(layout.lines_height, static_cast<int>(c.lines.size()) * FakeMeasurer::kLineHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Text, LayoutCases,
    ::testing::Values(
        LayoutCase{"OneBreak", "A#B", 246, {"A", "B"}},
        LayoutCase{"RunOfBreaksIsOne", "A##B", 246, {"A", "B"}},
        LayoutCase{"AltBreakChar", "A\x03" "B", 246, {"A", "B"}},
        LayoutCase{"LeadingAndTrailingBreaks", "##A#", 246, {"A"}},
        // 10 characters fit in 61 pixels (60 < 61), 11 do not.
        LayoutCase{"LongWordIsCut", "ABCDEFGHIJKLMNO", 61, {"ABCDEFGHIJ", "KLMNO"}},
        LayoutCase{"WrapAfterBlank", "aaaa bbbb cccc", 61, {"aaaa bbbb ", "cccc"}},
        LayoutCase{"WrapAfterListComma", "aaaa,bbbb,cccc", 61, {"aaaa,bbbb,", "cccc"}},
        LayoutCase{"ListCommaWithBlank", "aaaaaa, bbb", 61, {"aaaaaa, ", "bbb"}},
        LayoutCase{"DecimalCommaNeverBreaks", "aa 12345,678", 61, {"aa ", "12345,678"}},
        LayoutCase{"DecimalCommaCutOnlyWhenNoChoice", "1234567,890", 61, {"1234567,89", "0"}},
        LayoutCase{"LaterOfBlankAndComma", "a, bb,cc ddd", 61, {"a, bb,cc ", "ddd"}},
        LayoutCase{"CyrillicCharacters", "Ошибка чтения", 61, {"Ошибка ", "чтения"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextLayout, EmptyTextOrNoRoomGivesOneLineAndStoresNothing) {
  FakeMeasurer m;
  for (auto [text, width] : {std::pair<std::string, int>{"", 246}, {"abc", 5}}) {
    TextLayout layout = LayoutText(text, width, m);
    EXPECT_EQ(layout.line_count, 1);
    EXPECT_TRUE(layout.lines.empty());
    EXPECT_EQ(layout.lines_height, 0);
  }
}

TEST(TextLayout, StopsAfterAHundredLines) {
  FakeMeasurer m;
  std::string text;
  for (int i = 0; i < 150; ++i) text += "x#";
  TextLayout layout = LayoutText(text, 246, m);
  EXPECT_EQ(layout.lines.size(), kMaxLayoutLines);
  EXPECT_EQ(layout.line_count, 100);
}

TEST(TextLayout, FormatBlocksSetTheLineAndFCarriesOver) {
  FakeMeasurer m;
  // Bold, size 10, colour 0000FF, right; "F" carries it to the next line; the third has its own.
  std::string text = "\x01" "FЖS10,Д0000FF,П\x01" "Big#next#\x01" "К\x01" "it";
  TextLayout layout = LayoutText(text, 246, m);
  ASSERT_EQ(Lines(text, layout), (std::vector<std::string>{"Big", "next", "it"}));
  TextFormat big;
  big.bold = true;
  big.size = 10;
  big.color = 0x0000FF;
  big.align = LineAlign::Right;
  EXPECT_EQ(layout.lines[0].format, big);
  EXPECT_EQ(layout.lines[1].format, big);
  EXPECT_EQ(layout.lines[0].height, 20);
  TextFormat italic;
  italic.italic = true;
  EXPECT_EQ(layout.lines[2].format, italic);
  EXPECT_EQ(layout.lines_height, 20 + 20 + 13);
}

TEST(TextLayout, UnknownLetterClearsTheBlock) {
  TextFormat format;
  bool sticky = false;
  std::string text = "\x01ЖQК\x01rest";
  size_t next = ParseFormatBlock(text, 0, &format, &sticky);
  EXPECT_EQ(text.substr(next), "rest");
  EXPECT_EQ(format, TextFormat{});
  // A block without its closing delimiter swallows the rest of the text.
  std::string open = "\x01Ж abc";
  EXPECT_EQ(ParseFormatBlock(open, 0, &format, &sticky), open.size());
}

TEST(TextLayout, PlacesLinesPerAlignmentAndStopsAtTheBottom) {
  FakeMeasurer m;
  std::string text = "ab#abcd#\x01П\x01x#y";
  TextLayout layout = LayoutText(text, 100, m);
  DrawArea area{100, 10, 200, 10 + 3 * 13};  // room for three lines
  auto centred = PlaceLines(text, layout, area, LineAlign::Centre, m);
  ASSERT_EQ(centred.size(), 3u);
  EXPECT_EQ(centred[0].x, 100 + (100 - 12) / 2);
  EXPECT_EQ(centred[0].y, 10);
  EXPECT_EQ(centred[1].x, 100 + (100 - 24) / 2);
  EXPECT_EQ(centred[1].y, 23);
  EXPECT_EQ(centred[2].x, 200 - 6);  // its own block says right
  auto left = PlaceLines(text, layout, area, LineAlign::Left, m);
  EXPECT_EQ(left[0].x, 100);
  EXPECT_EQ(left[1].x, 100);
}

}  // namespace
}  // namespace tlx::messages
