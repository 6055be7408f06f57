// The main window's arithmetic: the logo's size, the title and vendor lines fitted to the window,
// and the colour bands of the background. The window draws exactly what these compute.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "messages/text_measurer.h"
#include "platform/process.h"

namespace tlx::app {

// The layout factor, held as a single-precision value like the window's own arithmetic.
inline constexpr float kLayoutFactor = 0.08625f;

struct Bounds {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Bounds&) const = default;
};

// A label fitted by growing its font: the bounds and the chosen font size in points.
struct FittedLabel {
  Bounds bounds;
  int points = 0;
};

// The logo at the top-left corner: the desktop's width and height times the layout factor.
Bounds LogoBounds(const platform::Rect& desktop);

// The title line beside the logo: the font grows from `start_points` one point at a time until the
// text (bold, measured by `measurer`) is taller or wider than the room beside the logo, then one
// point is taken off; the label is centred on the logo's height.
FittedLabel FitTitle(const messages::TextMeasurer& measurer, std::string_view text, int start_points,
                     const Bounds& logo, const platform::Rect& client);

// The vendor line along the bottom: grows until it is wider than the client area or larger than the
// title's font, then one point is taken off.
FittedLabel FitVendor(const messages::TextMeasurer& measurer, std::string_view text, int start_points,
                      int title_points, const platform::Rect& client);

// One band of the background: rows top..bottom (exclusive) across the client area.
struct Band {
  int top = 0;
  int bottom = 0;
  uint32_t colour = 0;  // 0x00BBGGRR
  bool operator==(const Band&) const = default;
};

// The background from black at the top through blue to white at the bottom, in bands of equal
// height covering a client area `client_height` pixels high.
std::vector<Band> BackgroundBands(int client_height);

}  // namespace tlx::app
