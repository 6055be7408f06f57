// TextMeasurer over a device context: a base font, and a font per line format made on demand.
#pragma once
#include <map>
#include <tuple>

#include "messages/text_measurer.h"
#include "messages/win/window.h"

namespace tlx::win {

class DcMeasurer : public messages::TextMeasurer {
 public:
  // Measures with fonts derived from `face` and `height`; `dc` must outlive the measurer.
  DcMeasurer(HDC dc, std::wstring face, int height);
  int TextWidth(std::string_view utf8, const messages::TextFormat& format) const override;
  int TextHeight(std::string_view utf8, const messages::TextFormat& format) const override;
  // The font of a format (owned by the measurer).
  HFONT FontFor(const messages::TextFormat& format) const;
  HDC dc() const { return dc_; }

 private:
  SIZE Extent(std::string_view utf8, const messages::TextFormat& format) const;

  HDC dc_;
  std::wstring face_;
  int height_;
  mutable std::map<std::tuple<bool, bool, bool, bool, int>, UniqueFont> fonts_;
};

}  // namespace tlx::win
