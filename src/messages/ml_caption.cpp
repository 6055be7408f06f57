#include "messages/ml_caption.h"

#include <algorithm>

namespace tlx::messages {

void MLButtonCaption::SetCaption(const std::string& caption) {
  if (caption == Caption()) return;
  if (caption.find('#') != std::string::npos) multiline_ = true;
  text_ = caption;
  std::replace(text_.begin(), text_.end(), '#', '\n');
}

std::string MLButtonCaption::Caption() const {
  std::string caption = text_;
  std::replace(caption.begin(), caption.end(), '\n', '#');
  return caption;
}

bool MLButtonCaption::SetMultiLine(bool on) {
  if (!on && text_.find('\n') != std::string::npos) return false;
  multiline_ = on;
  return true;
}

}  // namespace tlx::messages
