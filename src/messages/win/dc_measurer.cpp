#include "messages/win/dc_measurer.h"

namespace tlx::win {

DcMeasurer::DcMeasurer(HDC dc, std::wstring face, int height) : dc_(dc), face_(std::move(face)), height_(height) {}

HFONT DcMeasurer::FontFor(const messages::TextFormat& f) const {
  auto key = std::make_tuple(f.bold, f.italic, f.underline, f.strike, f.size);
  auto it = fonts_.find(key);
  if (it == fonts_.end()) {
    int height = height_;
    if (f.size > 0) height = -::MulDiv(f.size, ::GetDeviceCaps(dc_, LOGPIXELSY), 72);
    it = fonts_.emplace(key, MakeFont(face_, height, f.bold, f.italic, f.underline, f.strike, RUSSIAN_CHARSET)).first;
  }
  return it->second.get();
}

SIZE DcMeasurer::Extent(std::string_view utf8, const messages::TextFormat& format) const {
  std::wstring text = Wide(utf8);
  SelectObjectScope select(dc_, FontFor(format));
  SIZE size{0, 0};
  ::GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

int DcMeasurer::TextWidth(std::string_view utf8, const messages::TextFormat& format) const {
  return Extent(utf8, format).cx;
}

int DcMeasurer::TextHeight(std::string_view utf8, const messages::TextFormat& format) const {
  return Extent(utf8, format).cy;
}

}  // namespace tlx::win
