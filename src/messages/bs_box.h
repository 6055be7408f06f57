// The file layer's message box laid out: margins from the caption height, the word-wrapped label,
// one to three buttons, the window height and its place in the middle of the screen.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "messages/dialog_model.h"
#include "messages/file_msg.h"

namespace tlx::messages {

inline constexpr int kBsBoxWidth = 360;  // the box window's width
inline constexpr int kBsButtonWidth = 75;
inline constexpr int kBsButtonHeight = 25;

struct BsBoxButton {
  EBsButton id = EBsButton::ebb_Close;
  std::string caption;
  DlgRect rect;
};

struct BsBoxLayout {
  std::string title;
  uint32_t colour = 0;
  int margin = 0;
  std::optional<DlgRect> label;  // "LbTxt"; none without a text
  std::vector<BsBoxButton> buttons;
  DlgRect window;  // on the screen
};

// Measures `text` word-wrapped (tabs expanded) in `width` pixels: its width and height.
using WrappedMeasure = std::function<DlgRect(std::string_view text, int width)>;

// Lays out the box of `kind` (nullopt for an unknown kind) in language `lang` (1 Russian).
std::optional<BsBoxLayout> LayoutBsBox(int kind, uint8_t lang, std::string_view text, int caption_height,
                                       int screen_width, int screen_height, const WrappedMeasure& measure,
                                       int window_width = kBsBoxWidth);

// The box's answer (TBsMssg's result byte): yes gives 2, every other button and Esc give 0.
uint8_t BsResult(std::optional<EBsButton> pressed);

}  // namespace tlx::messages
