#include "tools/tlxpack/error_text.h"

#include "config/config_record.h"
#include "messages/msg_text.h"
#include "messages/zerror.h"

namespace tlx::tlxpack {

std::string ErrorText(const std::exception& error) {
  if (const auto* z = dynamic_cast<const messages::ZError*>(&error)) {
    config::Config().SetInterfaceLanguage(config::kLangRussian);
    std::string text = messages::MsgText(z->Params(), z->Number());
    for (char& c : text) {
      if (c == '#') c = ' ';  // a line break of the message dialog
    }
    return text;
  }
  return error.what();
}

}  // namespace tlx::tlxpack
