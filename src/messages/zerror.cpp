#include "messages/zerror.h"

#include <cstdio>

#include "platform/error.h"

namespace tlx::messages {

ZError::ZError(std::string params, int32_t number)
    : std::runtime_error(params), params_(std::move(params)), number_(number) {}

TZExcept::TZExcept(uint32_t code, uint32_t sys_code, std::string file_name)
    : std::runtime_error(std::string()),
      Code(code),
      SysCode(sys_code),
      FileName(std::move(file_name)) {}

void RaiseMsg(std::string params, int32_t number) { throw ZError(std::move(params), number); }

std::string SysErrorText(uint32_t code) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(code));
  return platform::SystemMessage(code) + "[Win=" + hex + "]";
}

std::string SysErrorMessage(std::string_view context, uint32_t code) {
  if (context.empty()) return SysErrorText(code);
  return std::string(context) + "#(" + SysErrorText(code) + ")";
}

void RaiseSysError(std::string_view context) {
  const uint32_t code = platform::LastError();
  throw ZError(SysErrorMessage(context, code), kMsgWholeText);
}

}  // namespace tlx::messages
