#include "messages/ztext.h"

#include <algorithm>

#include "messages/msg_wrappers.h"

namespace tlx::messages {

TZTextModel::TZTextModel() : lang_(InterfaceLang() == elg_Ukr ? elg_Ukr : elg_Rus) {}

bool TZTextModel::SetHor(int i, int value) {
  if (value < 0 || value > 2) {
    MsgError(kBadAlignmentText, 0);
    return false;
  }
  hor_[i - 1] = value;
  return true;
}

void TZTextModel::Click() {
  if (click_chg_multy_line) multy_line = !multy_line;
}

int TZTextModel::ParagraphHeight(int i, const TextMeasurer& m, TextLayout* layout) const {
  const std::string& text = lang_ == elg_Ukr ? ukr_[i] : rus_[i];
  *layout = LayoutText(text, TextWidth(), m);
  if (multy_line) return layout->lines_height;
  int tallest = 0;
  for (const LayoutLine& line : layout->lines) tallest = std::max(tallest, line.height);
  return tallest;
}

int TZTextModel::CalcTextHeight(const std::array<const TextMeasurer*, kZTextParagraphs>& fonts) const {
  int sum = 0;
  for (int i = 0; i < kZTextParagraphs; ++i) {
    const std::string& text = lang_ == elg_Ukr ? ukr_[i] : rus_[i];
    if (text.empty()) continue;
    TextLayout layout;
    sum += ParagraphHeight(i, *fonts[i], &layout);
  }
  return sum + 4;
}

int TZTextModel::PCalcTextH(const std::array<const TextMeasurer*, kZTextParagraphs>& fonts) {
  height = CalcTextHeight(fonts);
  return height;
}

ZTextPaint TZTextModel::Paint(const std::array<const TextMeasurer*, kZTextParagraphs>& fonts) {
  ZTextPaint paint;
  paint.border = border;
  const int needed = CalcTextHeight(fonts);
  if ((align == ZAlign::Top || align == ZAlign::Bottom || align == ZAlign::Custom) && needed != height) {
    height = needed;
    paint.new_height = needed;
    return paint;
  }
  const int inset = 2 + (border ? 1 : 0);
  int y = inset;
  for (int i = 0; i < kZTextParagraphs; ++i) {
    const std::string& text = lang_ == elg_Ukr ? ukr_[i] : rus_[i];
    if (text.empty()) continue;
    TextLayout layout;
    const int h = ParagraphHeight(i, *fonts[i], &layout);
    const LineAlign a = hor_[i] == 1 ? LineAlign::Centre : hor_[i] == 2 ? LineAlign::Right : LineAlign::Left;
    DrawArea area{inset, y, width - inset, y + h};
    const bool cut = !multy_line && layout.lines.size() > 1;
    if (cut) layout.lines.resize(1);
    for (const PlacedLine& p : PlaceLines(text, layout, area, a, *fonts[i])) {
      std::string shown = text.substr(p.start, p.length);
      int x = p.x;
      if (cut) {
        shown = ShortenFirstLine(shown);
        const int w = fonts[i]->TextWidth(shown, p.format);
        x = a == LineAlign::Left ? area.left : a == LineAlign::Right ? area.right - w
                                                                     : area.left + (area.right - area.left - w) / 2;
      }
      paint.lines.push_back({i, shown, x, p.y, p.format});
    }
    y += h;
  }
  return paint;
}

std::string ShortenFirstLine(std::string_view line) {
  while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
  if (Utf8CharCount(line) < 5) return std::string(line) + " ...";
  // Keep all but the last four characters, then a blank and "...".
  size_t keep = Utf8CharCount(line) - 4;
  size_t pos = 0;
  for (size_t n = 0; n < keep; ++n) pos += Utf8CharLength(line, pos);
  return std::string(line.substr(0, pos)) + " ...";
}

}  // namespace tlx::messages
