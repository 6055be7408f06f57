#include "messages/bs_box.h"

namespace tlx::messages {

std::optional<BsBoxLayout> LayoutBsBox(int kind, uint8_t lang, std::string_view text, int caption_height,
                                       int screen_width, int screen_height, const WrappedMeasure& measure,
                                       int window_width) {
  const BsKindInfo* info = BsKind(kind);
  if (info == nullptr) return std::nullopt;
  BsBoxLayout box;
  box.title = std::string(lang == 1 ? info->title_rus : info->title_ukr);
  box.colour = info->colour;
  const int m = caption_height;
  box.margin = m;
  int y = 2 * m;
  if (!text.empty()) {
    DlgRect size = measure(text, window_width - 2 * m);
    box.label = DlgRect{m, m, size.width, size.height};
    y += size.height + m;
  }
  std::vector<EBsButton> ids;
  for (const auto& b : info->buttons) {
    if (b) ids.push_back(*b);
  }
  std::vector<int> lefts;
  const int middle = window_width / 2 - 37;
  const int right = window_width - m - kBsButtonWidth;
  if (ids.size() == 1) lefts = {middle};
  if (ids.size() == 2) lefts = {m, right};
  if (ids.size() == 3) lefts = {m, middle, right};
  for (size_t i = 0; i < ids.size(); ++i) {
    box.buttons.push_back({ids[i], std::string(BsButtonCaption(ids[i], lang)),
                           {lefts[i], y, kBsButtonWidth, kBsButtonHeight}});
  }
  const int height = y + 2 * m + kBsButtonHeight;
  box.window = {screen_width / 2 - window_width / 2, screen_height / 2 - height / 2, window_width, height};
  return box;
}

uint8_t BsResult(std::optional<EBsButton> pressed) {
  return pressed == EBsButton::ebb_Yes ? 2 : 0;
}

}  // namespace tlx::messages
