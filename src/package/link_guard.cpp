#include "package/link_guard.h"

#include "messages/zerror.h"
#include "platform/fs.h"

namespace tlx::package {

void RequireNoLinksBelow(const std::string& root, const std::string& path) {
  const std::string prefix = root + "\\";
  if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) {
    messages::RaiseMsg("Файл " + path + " - вне папки " + root, messages::kMsgFinalText);
  }
  size_t end = prefix.size();
  while (end <= path.size()) {
    end = path.find('\\', end);
    if (end == std::string::npos) end = path.size();
    const auto attributes = platform::Attributes(path.substr(0, end));
    if (!attributes) return;  // missing from here on
    if (*attributes & platform::attr::kReparsePoint) {
      messages::RaiseMsg("Файл " + path + " - путь проходит через ссылку", messages::kMsgFinalText);
    }
    ++end;
  }
}

}  // namespace tlx::package
