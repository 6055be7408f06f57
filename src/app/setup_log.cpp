#include "app/setup_log.h"

#include <ctime>

#include "messages/zerror.h"
#include "platform/error.h"

namespace tlx::app {

SetupLog::SetupLog(const std::string& path) : path_(path) {
  if (path.empty()) return;
  platform::OpenOptions options;
  options.access = platform::Access::Write;
  options.share = platform::kShareRead;
  options.disposition = platform::Disposition::OpenAlways;
  file_ = platform::File::Open(path, options);
  if (!file_.valid() || !file_.Seek(0, platform::Origin::End)) messages::RaiseSysError(path);
}

void SetupLog::Line(std::string_view kind, std::string_view text) {
  const std::time_t now = std::time(nullptr);
  char stamp[32] = "";
  if (const std::tm* local = std::localtime(&now)) std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", local);
  std::string line = std::string(stamp) + " " + std::string(kind) + ": " + std::string(text);
  if (echo_) echo_(line);
  line += "\r\n";
  if (file_.valid()) {
    uint32_t done = 0;
    bool written = file_.Write(line.data(), static_cast<uint32_t>(line.size()), &done);
    if (written && done < line.size()) {
      platform::SetLastError(platform::err::kDiskFull);  // a short write: no room for the rest
      written = false;
    }
    if (written) written = file_.Flush();
    if (!written && failure_.empty()) failure_ = path_ + ": " + messages::SysErrorText(platform::LastError());
  }
}

}  // namespace tlx::app
