#include "messages/uncaught.h"

#include "messages/message_sink.h"

namespace tlx::messages {

std::string UncaughtText(std::exception_ptr error) {
  if (!error) return {};
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Исключение неизвестного типа";
  }
}

void ShowUncaught(std::exception_ptr error) noexcept {
  try {
    MessageRequest request;
    request.style = EMsgStyle::ems_Standard;
    request.kind = EMsgKind::emk_Error;
    request.text = UncaughtText(error);
    request.buttons = {EMsgButton::emb_Close};
    request.default_button = EMsgButton::emb_Close;
    CurrentMessageSink().Show(request);
  } catch (...) {
    // The last resort has nowhere left to report to.
  }
}

}  // namespace tlx::messages
