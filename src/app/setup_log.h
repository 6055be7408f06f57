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

  // Writes "YYYY-MM-DD HH:MM:SS <kind>: <text>" and flushes it. A failure to write never stops the
  // run; the first one is kept for failure(), and later lines are still tried.
  void Line(std::string_view kind, std::string_view text);
  // Empty while every line reached the file; otherwise the log file and the system's reason for the
  // first line that did not.
  const std::string& failure() const { return failure_; }
  // Where lines are echoed besides the file (nothing when empty).
  void SetEcho(std::function<void(const std::string&)> echo) { echo_ = std::move(echo); }

 private:
  std::string path_;
  std::string failure_;
  platform::File file_;
  std::function<void(const std::string&)> echo_;
};

}  // namespace tlx::app
