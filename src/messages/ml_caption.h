// The caption of TZMLButton: "#" in the caption stands for a line feed on the button; a caption
// with "#" turns the multi-line style on, which cannot be switched off while it has one.
#pragma once
#include <string>

namespace tlx::messages {

class MLButtonCaption {
 public:
  // A caption that differs from the current one: "#" turns MultiLine on and becomes a line feed.
  void SetCaption(const std::string& caption);
  // The caption with every line feed turned back into "#".
  std::string Caption() const;
  // The text the button window shows (line feeds).
  const std::string& WindowText() const { return text_; }
  bool MultiLine() const { return multiline_; }
  // False (and no change) when switching off while the caption holds a "#".
  bool SetMultiLine(bool on);

 private:
  std::string text_;
  bool multiline_ = false;
};

}  // namespace tlx::messages
