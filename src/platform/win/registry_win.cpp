// The current user's registry keys through the Win32 registry functions.
#include "platform/registry.h"

#include <cstring>
#include <vector>

#include "platform/win/wide.h"

namespace tlx::platform {

namespace {

// An open registry key, closed on destruction (last error kept).
class Key {
 public:
  Key() = default;
  ~Key() {
    if (key_ != nullptr) {
      win::KeepLastError keep;
      ::RegCloseKey(key_);
    }
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

bool Fail(LSTATUS status) {
  ::SetLastError(static_cast<DWORD>(status));
  return false;
}

}  // namespace

bool WriteUserRegistryKey(const std::string& key, const RegistryValues& values) {
  const std::optional<std::wstring> name = win::Wide(key);
  if (!name) return false;
  // Values the key held before and not named now go with the old key.
  const LSTATUS deleted = ::RegDeleteKeyW(HKEY_CURRENT_USER, name->c_str());
  if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) return Fail(deleted);
  Key opened;
  LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, name->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, opened.out(), nullptr);
  if (status != ERROR_SUCCESS) return Fail(status);
  for (const RegistryValue& value : values) {
    const std::optional<std::wstring> value_name = win::Wide(value.name);
    if (!value_name) return false;
    if (value.is_number) {
      const DWORD number = value.number;
      status = ::RegSetValueExW(opened.get(), value_name->c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                sizeof number);
    } else {
      const std::optional<std::wstring> text = win::Wide(value.text);
      if (!text) return false;
      status = ::RegSetValueExW(opened.get(), value_name->c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()),
                                static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t)));
    }
    if (status != ERROR_SUCCESS) return Fail(status);
  }
  return true;
}

std::optional<RegistryValues> ReadUserRegistryKey(const std::string& key) {
  const std::optional<std::wstring> name = win::Wide(key);
  if (!name) return std::nullopt;
  Key opened;
  LSTATUS status = ::RegOpenKeyExW(HKEY_CURRENT_USER, name->c_str(), 0, KEY_QUERY_VALUE, opened.out());
  if (status != ERROR_SUCCESS) {
    Fail(status);
    return std::nullopt;
  }
  RegistryValues values;
  std::wstring value_name(16384, L'\0');  // the longest value name the registry allows
  std::vector<BYTE> data(4096);
  for (DWORD index = 0;; ++index) {
    DWORD name_size = static_cast<DWORD>(value_name.size());
    DWORD data_size = static_cast<DWORD>(data.size());
    DWORD type = 0;
    status = ::RegEnumValueW(opened.get(), index, value_name.data(), &name_size, nullptr, &type, data.data(), &data_size);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status == ERROR_MORE_DATA) {
      data.resize(data_size + sizeof(wchar_t));
      --index;  // the same value again with room for its data
      continue;
    }
    if (status != ERROR_SUCCESS) {
      Fail(status);
      return std::nullopt;
    }
    const std::string narrow_name = win::Narrow(std::wstring_view(value_name.data(), name_size));
    if (type == REG_DWORD && data_size == sizeof(DWORD)) {
      DWORD number = 0;
      std::memcpy(&number, data.data(), sizeof number);
      values.push_back(RegistryValue::Number(narrow_name, number));
    } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
      std::wstring_view text(reinterpret_cast<const wchar_t*>(data.data()), data_size / sizeof(wchar_t));
      while (!text.empty() && text.back() == L'\0') text.remove_suffix(1);
      values.push_back(RegistryValue::Text(narrow_name, win::Narrow(text)));
    }
  }
  return values;
}

bool DeleteUserRegistryKey(const std::string& key) {
  const std::optional<std::wstring> name = win::Wide(key);
  if (!name) return false;
  const LSTATUS status = ::RegDeleteKeyW(HKEY_CURRENT_USER, name->c_str());
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return Fail(status);
  return true;
}

}  // namespace tlx::platform
