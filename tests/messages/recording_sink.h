// A message sink for tests: records every request and answers with a scripted answer.
#pragma once
#include <vector>

#include "config/config_record.h"
#include "messages/message_sink.h"

namespace tlx::test {

class RecordingSink : public messages::MessageSink {
 public:
  messages::MessageAnswer Show(const messages::MessageRequest& request) override {
    requests.push_back(request);
    return answer;
  }

  std::vector<messages::MessageRequest> requests;
  messages::MessageAnswer answer;
};

// Installs a fresh RecordingSink and a zero-filled configuration record with the given interface
// language for one test; restores the previous sink and clears the record afterwards.
class SinkScope {
 public:
  explicit SinkScope(uint8_t interface_lang = config::kLangRussian) : scope_(&sink) {
    config::Config().Clear();
    config::Config().SetInterfaceLanguage(interface_lang);
  }
  ~SinkScope() { config::Config().Clear(); }

  RecordingSink sink;

 private:
  messages::ScopedMessageSink scope_;
};

}  // namespace tlx::test
