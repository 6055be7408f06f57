#include <windows.h>

#include "package/desktop_scope.h"
#include "platform/text.h"

namespace tlx::test {

namespace {

constexpr const wchar_t* kKeys[2] = {
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"};

ScopedDesktop::Saved ReadValue(const wchar_t* key_name) {
  ScopedDesktop::Saved saved;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key_name, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return saved;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, L"Desktop", nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    saved.bytes.resize(size);
    if (RegQueryValueExW(key, L"Desktop", nullptr, &type, saved.bytes.data(), &size) == ERROR_SUCCESS) {
      saved.present = true;
      saved.type = type;
      saved.bytes.resize(size);
    }
  }
  RegCloseKey(key);
  return saved;
}

void WriteValue(const wchar_t* key_name, const ScopedDesktop::Saved& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key_name, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return;
  }
  if (value.present) {
    RegSetValueExW(key, L"Desktop", 0, value.type, value.bytes.data(), static_cast<DWORD>(value.bytes.size()));
  } else {
    RegDeleteValueW(key, L"Desktop");
  }
  RegCloseKey(key);
}

ScopedDesktop::Saved StringValue(const std::optional<std::string>& text) {
  ScopedDesktop::Saved value;
  if (!text) return value;
  const std::u16string units = platform::Utf8ToUtf16(*text).value_or(u"");
  value.present = true;
  value.type = REG_SZ;
  const auto* bytes = reinterpret_cast<const unsigned char*>(units.c_str());
  value.bytes.assign(bytes, bytes + (units.size() + 1) * sizeof(char16_t));
  return value;
}

}  // namespace

ScopedDesktop::ScopedDesktop(std::optional<std::string> desktop, const std::string&) {
  for (int i = 0; i < 2; ++i) {
    saved_[i] = ReadValue(kKeys[i]);
    WriteValue(kKeys[i], StringValue(desktop));
  }
}

ScopedDesktop::~ScopedDesktop() {
  for (int i = 0; i < 2; ++i) WriteValue(kKeys[i], saved_[i]);
}

bool ScopedDesktop::ChoosesWindowsFolder() { return false; }

}  // namespace tlx::test
