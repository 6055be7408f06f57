// What the text layout needs from a drawing surface: the size of a piece of text in a format.
// The dialog's window answers with its device context; tests answer with fixed character sizes.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace tlx::messages {

// Horizontal alignment of a line: the window's own, or the one a format block asks for.
enum class LineAlign { Default, Left, Centre, Right };

// The format of one line of a message: font style and size, colour, alignment.
struct TextFormat {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike = false;
  int size = 0;                   // font size in points; 0: the surface's own size
  std::optional<uint32_t> color;  // 0x00BBGGRR; nullopt: the surface's own colour
  LineAlign align = LineAlign::Default;

  bool operator==(const TextFormat&) const = default;
};

// Measures UTF-8 text drawn in a format on one line (no wrapping, no "&" processing).
class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  virtual int TextWidth(std::string_view utf8, const TextFormat& format) const = 0;
  virtual int TextHeight(std::string_view utf8, const TextFormat& format) const = 0;
};

}  // namespace tlx::messages
