// The framework's exceptions: ZError (a message number and its parameter list) and TZExcept (the
// logical-file layer's own failures and Windows errors), and the operations that raise them.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tlx::messages {

// Message numbers with a fixed meaning inside a ZError.
inline constexpr int32_t kMsgFinalText = 0;   // the parameter list is the final text
inline constexpr int32_t kMsgWholeText = 99;  // the first parameter is the whole message
inline constexpr int32_t kMsgHandled = 999;   // already dealt with: the catcher shows nothing

// A failure carrying a message number and a "|"-separated parameter list (not the final text;
// MsgText builds that). what() returns the raw parameter list.
class ZError : public std::runtime_error {
 public:
  ZError(std::string params, int32_t number);
  const std::string& Params() const { return params_; }
  int32_t Number() const { return number_; }
  int32_t HelpContext() const { return number_; }

 private:
  std::string params_;
  int32_t number_;
};

// Base of the logical-file layer's own error codes: Code = kFileLayerCodeBase + identifier.
inline constexpr uint32_t kFileLayerCodeBase = 0xE4000000u;

// Raised by the logical-file layer when its owner asked for exceptions instead of message boxes.
// Own errors: Code = kFileLayerCodeBase + id, SysCode = 0. Windows errors: Code = 0, SysCode = the
// last-error value. what() is empty.
class TZExcept : public std::runtime_error {
 public:
  TZExcept(uint32_t code, uint32_t sys_code, std::string file_name);
  // Code for the layer's own errors, SysCode for Windows errors.
  int32_t HelpContext() const { return static_cast<int32_t>(Code != 0 ? Code : SysCode); }

  uint32_t Code;
  uint32_t SysCode;
  std::string FileName;  // empty when no file is concerned
};

// Raises ZError(params, number).
[[noreturn]] void RaiseMsg(std::string params, int32_t number);

// The system's text for a Windows error code followed by "[Win=" + 8 upper-case hex digits + "]".
std::string SysErrorText(uint32_t code);

// The text RaiseSysError puts in its ZError: context + "#(" + SysErrorText(code) + ")", or
// SysErrorText(code) alone when the context is empty.
std::string SysErrorMessage(std::string_view context, uint32_t code);

// Raises ZError(SysErrorMessage(context, LastError()), 99) for the calling thread's last error.
[[noreturn]] void RaiseSysError(std::string_view context);

}  // namespace tlx::messages
