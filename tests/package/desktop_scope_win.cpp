#include <windows.h>

#include "package/desktop_scope.h"
#include "platform/text.h"

namespace tlx::test {

namespace {

constexpr wchar_t kKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::wstring Wide(const std::string& text) {
  const auto units = platform::Utf8ToUtf16(text).value_or(u"");
  return std::wstring(units.begin(), units.end());
}

std::optional<std::string> ReadValue() {
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD bytes = sizeof buffer - sizeof(wchar_t);
  DWORD type = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kKey, L"Desktop", RRF_RT_REG_SZ, &type, buffer, &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return platform::Utf16ToUtf8(reinterpret_cast<const char16_t*>(buffer));
}

void WriteValue(const std::optional<std::string>& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return;
  }
  if (value) {
    const std::wstring wide = Wide(*value);
    RegSetValueExW(key, L"Desktop", 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                   static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
  } else {
    RegDeleteValueW(key, L"Desktop");
  }
  RegCloseKey(key);
}

}  // namespace

ScopedDesktop::ScopedDesktop(std::optional<std::string> desktop, const std::string&) : saved_(ReadValue()) {
  WriteValue(desktop);
}

ScopedDesktop::~ScopedDesktop() { WriteValue(saved_); }

bool ScopedDesktop::ChoosesWindowsFolder() { return false; }

}  // namespace tlx::test
