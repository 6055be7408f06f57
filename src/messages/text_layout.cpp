#include "messages/text_layout.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace tlx::messages {
namespace {

// The code point at `pos` (0xFFFD for malformed bytes) and its byte length.
char32_t DecodeAt(std::string_view text, size_t pos, size_t* length) {
  const auto b = static_cast<unsigned char>(text[pos]);
  size_t n = Utf8CharLength(text, pos);
  *length = n;
  if (n == 1) return b < 0x80 ? b : 0xFFFD;
  char32_t cp = b & (0xFF >> (n + 1));
  for (size_t i = 1; i < n; ++i) cp = (cp << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
  return cp;
}

bool IsDigit(std::string_view text, size_t pos) {
  return pos < text.size() && text[pos] >= '0' && text[pos] <= '9';
}

bool IsBreak(char c) { return c == kBreakChar || c == kAltBreakChar; }

// A comma that may end a line: not a decimal comma between two digits.
bool IsBreakableComma(std::string_view text, size_t pos) {
  if (text[pos] != ',') return false;
  if (pos == 0 || pos + 1 >= text.size()) return true;
  return !(IsDigit(text, pos - 1) && IsDigit(text, pos + 1));
}

}  // namespace

size_t Utf8CharLength(std::string_view text, size_t pos) {
  const auto b = static_cast<unsigned char>(text[pos]);
  size_t n = b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
  if (pos + n > text.size()) return 1;
  for (size_t i = 1; i < n; ++i) {
    if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) return 1;
  }
  return n;
}

size_t Utf8CharCount(std::string_view text) {
  size_t count = 0;
  for (size_t pos = 0; pos < text.size(); pos += Utf8CharLength(text, pos)) ++count;
  return count;
}

size_t ParseFormatBlock(std::string_view text, size_t pos, TextFormat* format, bool* sticky) {
  *format = TextFormat{};
  *sticky = false;
  size_t end = text.find(kFormatDelimiter, pos + 1);
  if (end == std::string_view::npos) end = text.size();
  size_t i = pos + 1;
  // Reads the digits of a number at `i` and consumes one separator after them.
  auto read_number = [&](int radix) {
    uint32_t value = 0;
    while (i < end) {
      char c = text[i];
      int digit = c >= '0' && c <= '9' ? c - '0'
                  : radix == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : radix == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                          : -1;
      if (digit < 0) break;
      value = value * radix + digit;
      ++i;
    }
    if (i < end) ++i;  // the separator
    return value;
  };
  while (i < end) {
    size_t n = 0;
    char32_t letter = DecodeAt(text, i, &n);
    i += n;
    switch (letter) {
      case U'F': *sticky = true; break;
      case U'S': format->size = static_cast<int>(std::min<uint32_t>(read_number(10), 1000)); break;
      case U'Д': format->color = read_number(16) & 0x00FFFFFF; break;
      case U'Ж': format->bold = true; break;
      case U'К': format->italic = true; break;
      case U'Ч': format->underline = true; break;
      case U'Z': format->strike = true; break;
      case U'Л': format->align = LineAlign::Left; break;
      case U'Ц': format->align = LineAlign::Centre; break;
      case U'П': format->align = LineAlign::Right; break;
      default:
        *format = TextFormat{};
        *sticky = false;
        i = end;
        break;
    }
  }
  return end < text.size() ? end + 1 : end;
}

TextLayout LayoutText(std::string_view text, int width, const TextMeasurer& measurer) {
  TextLayout layout;
  if (text.empty() || width < measurer.TextWidth("Ж", TextFormat{})) return layout;
  layout.line_count = 0;
  TextFormat carried;  // the last "F" block's format
  size_t pos = 0;
  while (pos < text.size() && layout.lines.size() < kMaxLayoutLines) {
    while (pos < text.size() && IsBreak(text[pos])) ++pos;
    if (pos >= text.size()) break;
    TextFormat format = carried;
    if (text[pos] == kFormatDelimiter) {
      bool sticky = false;
      pos = ParseFormatBlock(text, pos, &format, &sticky);
      if (sticky) carried = format;
    }
    const size_t start = pos;
    size_t last_blank = std::string_view::npos;
    size_t last_comma = std::string_view::npos;
    size_t overflow = std::string_view::npos;
    size_t i = start;
    while (i < text.size()) {
      if (i > start && IsBreak(text[i])) break;  // an explicit break ends the line before it
      size_t next = i + Utf8CharLength(text, i);
      if (measurer.TextWidth(text.substr(start, next - start), format) >= width) {
        overflow = i;
        break;
      }
      if (text[i] == ' ') last_blank = i;
      if (IsBreakableComma(text, i)) last_comma = i;
      i = next;
    }
    size_t end = i;  // the rest fits, or the explicit break
    if (overflow != std::string_view::npos) {
      size_t soft = std::max(last_blank == std::string_view::npos ? 0 : last_blank + 1,
                             last_comma == std::string_view::npos ? 0 : last_comma + 1);
      end = soft > start ? soft : overflow;
      if (end == start) end = start + Utf8CharLength(text, start);  // one character wider than all
    }
    LayoutLine line;
    line.start = start;
    line.length = end - start;
    line.format = format;
    line.height = measurer.TextHeight("W", format);
    layout.lines_height += line.height;
    layout.lines.push_back(line);
    pos = end;
  }
  layout.line_count = std::max<int>(1, static_cast<int>(layout.lines.size()));
  return layout;
}

std::vector<PlacedLine> PlaceLines(std::string_view text, const TextLayout& layout, DrawArea area,
                                   LineAlign align, const TextMeasurer& measurer) {
  std::vector<PlacedLine> placed;
  int y = area.top;
  for (const LayoutLine& line : layout.lines) {
    if (y + line.height > area.bottom) break;
    LineAlign a = line.format.align != LineAlign::Default ? line.format.align : align;
    int line_width = measurer.TextWidth(text.substr(line.start, line.length), line.format);
    int x = area.left;
    if (a == LineAlign::Centre || a == LineAlign::Default) {
      x = area.left + (area.right - area.left - line_width) / 2;
    } else if (a == LineAlign::Right) {
      x = area.right - line_width;
    }
    placed.push_back({line.start, line.length, line.format, x, y});
    y += line.height;
  }
  return placed;
}

}  // namespace tlx::messages
