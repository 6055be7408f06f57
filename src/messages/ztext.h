// TZText without its window: five paragraphs per language, their alignments and fonts, the height
// they need, and what a paint shows (the first line only, shortened, when multi-line is off).
#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "messages/lang_box.h"
#include "messages/text_layout.h"

namespace tlx::messages {

inline constexpr int kZTextParagraphs = 5;
inline constexpr uint32_t kZTextFrameGrey = 0x00858585;
inline constexpr std::string_view kBadAlignmentText = "Неверно задан признак выравнивания";

// How a control is aligned in its parent (only top, bottom and custom let the text set the height).
enum class ZAlign { None, Top, Bottom, Left, Right, Client, Custom };

// One paragraph as painted: its lines (text to draw) at their places.
struct ZTextLine {
  int paragraph = 0;  // 0..4
  std::string text;
  int x = 0;
  int y = 0;
  TextFormat format;
};

struct ZTextPaint {
  std::optional<int> new_height;  // set: the control resizes instead of drawing
  std::vector<ZTextLine> lines;
  bool border = false;
};

class TZTextModel {
 public:
  TZTextModel();

  // Paragraph `i` (1..5) per language and of the control's own language.
  std::string& TextR(int i) { return rus_[i - 1]; }
  std::string& TextU(int i) { return ukr_[i - 1]; }
  std::string& Text(int i) { return lang_ == elg_Ukr ? TextU(i) : TextR(i); }
  int Hor(int i) const { return hor_[i - 1]; }
  // 0 left, 1 centre, 2 right; a larger value shows the alignment error and keeps the old one.
  bool SetHor(int i, int value);

  ELang Lang() const { return lang_; }
  void SetLang(ELang lang) { lang_ = lang == elg_Ukr ? elg_Ukr : elg_Rus; }
  bool border = false;
  bool multy_line = true;
  bool click_chg_multy_line = false;
  ZAlign align = ZAlign::None;
  int left = 20, top = 20, width = 50, height = 50;

  // A click toggles MultyLine (before the click event) when ClickChgMultyLine is on.
  void Click();
  // The height the current texts need (sum of the paragraphs + 4); `fonts[i]` measures paragraph i.
  int CalcTextHeight(const std::array<const TextMeasurer*, kZTextParagraphs>& fonts) const;
  // PCalcTextH: computes the height and applies it.
  int PCalcTextH(const std::array<const TextMeasurer*, kZTextParagraphs>& fonts);
  // What a paint does: resize (top, bottom or custom alignment with a wrong height) or draw.
  ZTextPaint Paint(const std::array<const TextMeasurer*, kZTextParagraphs>& fonts);

 private:
  int TextWidth() const { return width - 4 - (border ? 1 : 0); }
  int ParagraphHeight(int i, const TextMeasurer& m, TextLayout* layout) const;

  std::array<std::string, kZTextParagraphs> rus_, ukr_;
  std::array<int, kZTextParagraphs> hor_{};
  ELang lang_;
};

// The first line of a paragraph that does not fit on one line: under 5 characters " ..." is
// appended, otherwise its last three characters become "..." after a blank. Trailing blanks of the
// line are dropped first.
std::string ShortenFirstLine(std::string_view line);

}  // namespace tlx::messages
