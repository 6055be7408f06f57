#include "platform/error.h"

#include "platform/win/wide.h"

namespace tlx::platform {

uint32_t LastError() { return ::GetLastError(); }

void SetLastError(uint32_t code) { ::SetLastError(code); }

std::string SystemMessage(uint32_t code) {
  win::KeepLastError keep;
  wchar_t* buffer = nullptr;
  DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr) return {};
  std::wstring_view text(buffer, length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.remove_suffix(1);
  std::string out = win::Narrow(text);
  ::LocalFree(buffer);
  return out;
}

}  // namespace tlx::platform
