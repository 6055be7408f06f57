// A text surface for tests: every character is 6 pixels wide (7 in bold), lines are 13 high
// (twice the size when a format block sets one).
#pragma once
#include <string_view>

#include "messages/text_layout.h"
#include "messages/text_measurer.h"

namespace tlx::test {

class FakeMeasurer : public messages::TextMeasurer {
 public:
  static constexpr int kCharWidth = 6;
  static constexpr int kBoldCharWidth = 7;
  static constexpr int kLineHeight = 13;
  int TextWidth(std::string_view utf8, const messages::TextFormat& format) const override {
    return static_cast<int>(messages::Utf8CharCount(utf8)) * (format.bold ? kBoldCharWidth : kCharWidth);
  }
  int TextHeight(std::string_view, const messages::TextFormat& format) const override {
    return format.size > 0 ? format.size * 2 : kLineHeight;
  }
};

}  // namespace tlx::test
