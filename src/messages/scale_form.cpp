#include "messages/scale_form.h"

#include <cstdint>

namespace tlx::messages {

FormScale& CurrentFormScale() {
  static FormScale scale;
  return scale;
}

FormScale ScreenFormScale(int screen_ppi) {
  FormScale scale;
  if (screen_ppi > 0) scale.numerator = ScaleValue(scale.denominator, screen_ppi, scale.design_ppi);
  scale.scale_on_create = scale.numerator != scale.denominator;
  return scale;
}

int ScaleValue(int v, int numerator, int denominator) {
  if (denominator == 0) return v;
  int64_t p = static_cast<int64_t>(v) * numerator;
  int64_t q = denominator;
  if (q < 0) {
    p = -p;
    q = -q;
  }
  // Half away from zero, as MulDiv rounds.
  return static_cast<int>(p >= 0 ? (p + q / 2) / q : -((-p + q / 2) / q));
}

int CorrectedFontHeight(int height, const FormScale& scale, int screen_ppi) {
  const int64_t num = static_cast<int64_t>(height) * scale.denominator * screen_ppi;
  const int64_t den = static_cast<int64_t>(scale.numerator) * scale.design_ppi;
  return den == 0 ? height : static_cast<int>(num / den);
}

namespace {

void ScaleBounds(DlgRect& r, const FormScale& s) {
  r.left = ScaleValue(r.left, s.numerator, s.denominator);
  r.top = ScaleValue(r.top, s.numerator, s.denominator);
  r.width = ScaleValue(r.width, s.numerator, s.denominator);
  r.height = ScaleValue(r.height, s.numerator, s.denominator);
}

void ScaleChildren(std::vector<ScaleNode>& children, const FormScale& s, int screen_ppi) {
  for (ScaleNode& child : children) {
    if (child.type == ScaleNode::Type::Form) continue;
    ScaleBounds(child.bounds, s);
    if (child.type == ScaleNode::Type::ZText) {
      for (int i = 0; i < 5; ++i) {
        child.paragraph_sizes[i] = child.paragraph_sizes[i] * s.numerator / s.denominator;
        child.paragraph_names[i] = "Arial";
      }
    } else if (!child.parent_font) {
      child.font_name = "Arial";
      child.font_height = ScaleValue(child.font_height, s.numerator, s.denominator);
      if (screen_ppi != s.design_ppi) child.font_height = CorrectedFontHeight(child.font_height, s, screen_ppi);
    }
    ScaleChildren(child.children, s, screen_ppi);
  }
}

}  // namespace

void ScaleForm(ScaleNode& form, const FormScale& scale, int screen_ppi) {
  if (scale.numerator == scale.denominator || scale.denominator == 0) return;
  const bool scaled = form.scaled, auto_scroll = form.auto_scroll, auto_size = form.auto_size;
  form.scaled = true;
  form.auto_scroll = false;
  form.auto_size = false;
  form.font_name = "Arial";
  ScaleBounds(form.bounds, scale);
  form.font_height = ScaleValue(form.font_height, scale.numerator, scale.denominator);
  if (screen_ppi != scale.design_ppi) form.font_height = CorrectedFontHeight(form.font_height, scale, screen_ppi);
  ScaleChildren(form.children, scale, screen_ppi);
  form.scaled = scaled;
  form.auto_scroll = auto_scroll;
  form.auto_size = auto_size;
}

}  // namespace tlx::messages
