#include "app/main_layout.h"

#include <algorithm>

namespace tlx::app {
namespace {

// Whole pixels from a product with the layout factor, truncated towards zero.
int Scaled(float value) { return static_cast<int>(value); }

messages::TextFormat BoldAt(int points) {
  messages::TextFormat format;
  format.bold = true;
  format.size = points;
  return format;
}

// Fonts never grow past this: a measurer that never overflows still ends.
constexpr int kLargestFont = 1000;

}  // namespace

Bounds LogoBounds(const platform::Rect& desktop) {
  Bounds logo;
  logo.width = Scaled(static_cast<float>(desktop.right - desktop.left) * kLayoutFactor);
  logo.height = Scaled(static_cast<float>(desktop.bottom - desktop.top) * kLayoutFactor);
  return logo;
}

FittedLabel FitTitle(const messages::TextMeasurer& measurer, std::string_view text, int start_points,
                     const Bounds& logo, const platform::Rect& client) {
  const int x0 = Scaled(static_cast<float>(logo.width) + 20 * kLayoutFactor);
  const int w = client.right - x0;
  const int h = logo.height - client.top;
  int points = start_points;
  while (points < kLargestFont) {
    ++points;
    if (measurer.TextHeight(text, BoldAt(points)) > h || measurer.TextWidth(text, BoldAt(points)) > w) break;
  }
  --points;
  FittedLabel title;
  title.points = points;
  title.bounds.left = x0;
  title.bounds.top = logo.height / 2 - measurer.TextHeight(text, BoldAt(points)) / 2;
  title.bounds.width = w;
  title.bounds.height = h;
  return title;
}

FittedLabel FitVendor(const messages::TextMeasurer& measurer, std::string_view text, int start_points,
                      int title_points, const platform::Rect& client) {
  const int client_width = client.right - client.left;
  const int client_height = client.bottom - client.top;
  int points = start_points;
  while (points < kLargestFont) {
    ++points;
    if (measurer.TextWidth(text, BoldAt(points)) > client_width || points > title_points) break;
  }
  --points;
  FittedLabel vendor;
  vendor.points = points;
  vendor.bounds.left = client.left;
  vendor.bounds.top =
      Scaled(static_cast<float>(client_height - measurer.TextHeight(text, BoldAt(points))) - 2 * kLayoutFactor);
  vendor.bounds.width = client_width;
  vendor.bounds.height = client_height;
  return vendor;
}

std::vector<Band> BackgroundBands(int client_height) {
  std::vector<Band> bands;
  if (client_height <= 0) return bands;
  int step = client_height / 255;
  double scale = step;
  if (step < 2) {
    step = 2;
    scale = (255.0 / client_height) / 3;
  }
  int b = 0;
  for (int y = 0; y < client_height; y += step) {
    int c = static_cast<int>(y / scale * 1.3);
    if (c >= 255) {
      c = 255;
      b = std::min(b + step, 255);
    }
    const auto grey = static_cast<uint32_t>(b);
    bands.push_back({y, y + step, (static_cast<uint32_t>(c) << 16) | (grey << 8) | grey});
  }
  return bands;
}

}  // namespace tlx::app
