// The log of an unattended run: one line per step, volume, file written, message and error, each
// with the local date and time. Lines go to the log file (when one is named) and to an optional echo
// (the console of a silent run).
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "platform/file.h"

namespace tlx::app {

class SetupLog {
 public:
  // Opens `path` for appending (created when missing); an empty path logs nowhere but the echo.
  // Raises RaiseSysError(path) when the file cannot be opened.
  explicit SetupLog(const std::string& path);
  SetupLog(const SetupLog&) = delete;
  SetupLog& operator=(const SetupLog&) = delete;

  // Writes "YYYY-MM-DD HH:MM:SS <kind>: <text>" and flushes it. Failures to write are ignored: the
  // log never stops an installation.
  void Line(std::string_view kind, std::string_view text);
  // Where lines are echoed besides the file (nothing when empty).
  void SetEcho(std::function<void(const std::string&)> echo) { echo_ = std::move(echo); }

 private:
  platform::File file_;
  std::function<void(const std::string&)> echo_;
};

}  // namespace tlx::app
