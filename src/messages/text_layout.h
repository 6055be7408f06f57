// Line breaking of message texts: "#" (or byte 0x03) breaks a line, a run of breaks counts once,
// format blocks between two 0x01 bytes set a line's style, long lines wrap after the last blank or
// the last comma that is not a decimal comma, a word longer than the width is cut.
#pragma once
#include <cstddef>
#include <string_view>
#include <vector>

#include "messages/text_measurer.h"

namespace tlx::messages {

inline constexpr char kFormatDelimiter = '\x01';
inline constexpr char kBreakChar = '#';
inline constexpr char kAltBreakChar = '\x03';
inline constexpr size_t kMaxLayoutLines = 100;

// One line of a laid-out text: a byte range of the text (format block and breaks excluded).
struct LayoutLine {
  size_t start = 0;
  size_t length = 0;
  TextFormat format;
  int height = 0;  // text height of "W" in the line's format
};

struct TextLayout {
  std::vector<LayoutLine> lines;  // at most kMaxLayoutLines
  int line_count = 1;             // 1 also when nothing was stored (empty text, no room)
  int lines_height = 0;           // sum of the stored lines' heights
};

// Lays `text` (UTF-8) out in `width` pixels. An empty text, or a width below that of "Ж", gives one
// line and stores nothing.
TextLayout LayoutText(std::string_view text, int width, const TextMeasurer& measurer);

// Parses the format block that starts at `pos` (a 0x01 byte) into `format`; returns the position
// after its closing delimiter (the end of the text when it has none). `sticky` is set when the
// block holds "F" (its format carries over to following lines without a block of their own).
size_t ParseFormatBlock(std::string_view text, size_t pos, TextFormat* format, bool* sticky);

// A line placed for drawing.
struct PlacedLine {
  size_t start = 0;
  size_t length = 0;
  TextFormat format;
  int x = 0;
  int y = 0;
};

struct DrawArea {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// Places the lines one under another from the area's top, each aligned by its own format or else
// by `align`; stops at the first line that would cross the area's bottom.
std::vector<PlacedLine> PlaceLines(std::string_view text, const TextLayout& layout, DrawArea area,
                                   LineAlign align, const TextMeasurer& measurer);

// Byte length of the UTF-8 character starting at `pos` (1 for a stray continuation byte).
size_t Utf8CharLength(std::string_view text, size_t pos);
// Number of UTF-8 characters in `text`.
size_t Utf8CharCount(std::string_view text);

}  // namespace tlx::messages
