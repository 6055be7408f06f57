#include "messages/message_sink.h"

namespace tlx::messages {
namespace {

MessageSink*& Installed() {
  static MessageSink* sink = nullptr;
  return sink;
}

}  // namespace

MessageAnswer DefaultMessageSink::Show(const MessageRequest& request) {
  MessageAnswer answer;
  answer.button = request.default_button;
  return answer;
}

MessageSink& CurrentMessageSink() {
  static DefaultMessageSink default_sink;
  MessageSink* sink = Installed();
  return sink != nullptr ? *sink : default_sink;
}

MessageSink* SetMessageSink(MessageSink* sink) {
  MessageSink* previous = Installed();
  Installed() = sink;
  return previous;
}

}  // namespace tlx::messages
