// The file layer's small message box, built at run time from its layout: a coloured window with a
// word-wrapped label and one to three buttons; Esc closes it, other keys are ignored.
#pragma once
#include "messages/bs_box.h"
#include "messages/message_sink.h"
#include "messages/win/window.h"

namespace tlx::win {

class BsBoxWindow : public Window {
 public:
  explicit BsBoxWindow(messages::MessageRequest request) : request_(std::move(request)) {}
  // Shows the box modally over `owner`; the answer names the button (emb_None for Esc).
  messages::MessageAnswer ShowModal(HWND owner);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool PreviewKey(const MSG& msg) override;

 private:
  messages::MessageRequest request_;
  messages::MessageAnswer answer_;
  UniqueFont font_;
  UniqueBrush background_;
};

// Control identifiers: the buttons carry their box identifier plus this base; the label is "LbTxt".
inline constexpr int kBsButtonIdBase = 10;
inline constexpr int kBsLabelId = 9;

}  // namespace tlx::win
