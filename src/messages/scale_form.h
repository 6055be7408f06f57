// Scaling of a form and its controls by the process-wide scale (numerator / denominator, both 800
// at start: no scaling), with the font-height correction for screens that differ from 96 ppi.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "messages/dialog_model.h"

namespace tlx::messages {

struct FormScale {
  int numerator = 800;
  int denominator = 800;
  int design_ppi = 96;
  bool scale_on_create = false;  // windows are scaled as they are created
};

// The process-wide scale.
FormScale& CurrentFormScale();

// The scale of a screen of `screen_ppi` pixels per inch against the design's 96: 800 * ppi / 96
// over 800, with windows scaled as they are created whenever that is not 1 (the setup program
// takes it from the screen at start, so its message windows grow with the screen's text size).
FormScale ScreenFormScale(int screen_ppi);

// A form or control as the scaling sees it.
struct ScaleNode {
  enum class Type { Form, ZText, Control };
  Type type = Type::Control;
  DlgRect bounds;
  std::string font_name;
  int font_height = -11;
  bool parent_font = true;  // uses its parent's font
  std::array<int, 5> paragraph_sizes{};  // TZText's five paragraph fonts (points)
  std::array<std::string, 5> paragraph_names;
  bool scaled = false, auto_scroll = true, auto_size = false;
  std::vector<ScaleNode> children;  // owned components
};

// v * numerator / denominator, rounded like the platform's MulDiv.
int ScaleValue(int v, int numerator, int denominator);
// The corrected font height: height * (denominator * screen ppi) / (numerator * design ppi).
int CorrectedFontHeight(int height, const FormScale& scale, int screen_ppi);

// Scales `form`: nothing when numerator equals denominator; otherwise the form font becomes
// "Arial", bounds and the fonts of the form and of controls with their own scale by the ratio (as
// the platform scales a form), those fonts are then corrected when `screen_ppi` differs from the
// design, TZText paragraph fonts scale by the ratio; owned forms are skipped; the form's scaled,
// auto-scroll and auto-size settings are restored afterwards.
void ScaleForm(ScaleNode& form, const FormScale& scale, int screen_ppi);

}  // namespace tlx::messages
