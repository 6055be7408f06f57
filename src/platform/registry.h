// The current user's registry keys (HKEY_CURRENT_USER) as an installation registers itself: one key
// with named string and 32-bit values. Windows: the registry. POSIX: a small INI-style text file
// (PlatformConfig::registry_file; without one, a registry that lives as long as the process).
//
// The POSIX file is UTF-8, one section per key, one value per line, in the syntax of an exported
// registry file:
//   [HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Uninstall\TlxSetup5_320]
//   "DisplayVersion"="3.2.0"
//   "NoModify"=dword:00000001
// In quoted texts a backslash and a double quote are written "\\" and "\"".
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tlx::platform {

// One named value: a text (REG_SZ) or a 32-bit number (REG_DWORD).
struct RegistryValue {
  std::string name;
  bool is_number = false;
  std::string text;
  uint32_t number = 0;

  static RegistryValue Text(std::string name, std::string text) { return {std::move(name), false, std::move(text), 0}; }
  static RegistryValue Number(std::string name, uint32_t number) { return {std::move(name), true, {}, number}; }
  bool operator==(const RegistryValue&) const = default;
};
using RegistryValues = std::vector<RegistryValue>;

// Makes `key` (below HKEY_CURRENT_USER, "\"-separated, without the root's name) hold exactly
// `values`, creating it with its missing parents. False with LastError set when it cannot.
bool WriteUserRegistryKey(const std::string& key, const RegistryValues& values);

// The values of `key` in the order the system lists them (texts and numbers; values of other
// types are left out). nullopt when the key does not exist (LastError 2) or cannot be read.
std::optional<RegistryValues> ReadUserRegistryKey(const std::string& key);

// Deletes `key` with its values (a key with subkeys is refused). True when it is gone, also when
// it was not there.
bool DeleteUserRegistryKey(const std::string& key);

// The value `name` of `values` (names compared without regard to letter case); nullptr when absent.
const RegistryValue* FindRegistryValue(const RegistryValues& values, const std::string& name);

}  // namespace tlx::platform
