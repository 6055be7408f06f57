// The current user's registry on POSIX: the INI-style file of PlatformConfig::registry_file, read
// whole and written anew through a temporary file and a rename, or, without a file, a registry in
// this process's memory.
#include <cstdio>
#include <mutex>
#include <utility>

#include "platform/config.h"
#include "platform/error.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace tlx::platform {

namespace {

constexpr char kRootName[] = "HKEY_CURRENT_USER\\";
constexpr uint32_t kMaxFileSize = 16 << 20;

// The keys in file order: (key as first written, values).
using Keys = std::vector<std::pair<std::string, RegistryValues>>;

std::mutex registry_mutex;
Keys& MemoryKeys() {
  static Keys keys;
  return keys;
}

Keys::iterator FindKey(Keys& keys, const std::string& key) {
  const std::string wanted = UpperUtf8(key);
  for (auto it = keys.begin(); it != keys.end(); ++it) {
    if (UpperUtf8(it->first) == wanted) return it;
  }
  return keys.end();
}

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

// A quoted text starting at `at`; `at` moves past its closing quote.
std::optional<std::string> Unquote(const std::string& line, size_t& at) {
  if (at >= line.size() || line[at] != '"') return std::nullopt;
  std::string out;
  for (++at; at < line.size(); ++at) {
    char c = line[at];
    if (c == '"') {
      ++at;
      return out;
    }
    if (c == '\\') {
      if (++at >= line.size()) return std::nullopt;
      c = line[at];
      if (c != '\\' && c != '"') return std::nullopt;
    }
    out += c;
  }
  return std::nullopt;
}

std::optional<uint32_t> Hex32(const std::string& text) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  uint32_t value = 0;
  for (char c : text) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (digit < 0) return std::nullopt;
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  return value;
}

std::optional<Keys> Parse(const std::string& text) {
  Keys keys;
  size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']') return std::nullopt;
      std::string key = line.substr(1, line.size() - 2);
      if (UpperUtf8(key).rfind(UpperUtf8(kRootName), 0) != 0) return std::nullopt;
      key.erase(0, sizeof kRootName - 1);
      if (key.empty() || FindKey(keys, key) != keys.end()) return std::nullopt;
      keys.emplace_back(std::move(key), RegistryValues{});
      continue;
    }
    if (keys.empty()) return std::nullopt;
    size_t at = 0;
    std::optional<std::string> name = Unquote(line, at);
    if (!name || at >= line.size() || line[at] != '=') return std::nullopt;
    ++at;
    RegistryValue value;
    if (line.compare(at, 6, "dword:") == 0) {
      const std::optional<uint32_t> number = Hex32(line.substr(at + 6));
      if (!number) return std::nullopt;
      value = RegistryValue::Number(std::move(*name), *number);
    } else {
      std::optional<std::string> data = Unquote(line, at);
      if (!data || at != line.size()) return std::nullopt;
      value = RegistryValue::Text(std::move(*name), std::move(*data));
    }
    RegistryValues& values = keys.back().second;
    if (FindRegistryValue(values, value.name)) return std::nullopt;
    values.push_back(std::move(value));
  }
  return keys;
}

std::string Format(const Keys& keys) {
  std::string text = "; HKEY_CURRENT_USER of the native tools (registry values as an exported registry file)\n";
  for (const auto& [key, values] : keys) {
    text += "\n[" + std::string(kRootName) + key + "]\n";
    for (const RegistryValue& value : values) {
      text += Quote(value.name) + "=";
      if (value.is_number) {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08x", value.number);
        text += "dword:" + std::string(hex);
      } else {
        text += Quote(value.text);
      }
      text += "\n";
    }
  }
  return text;
}

bool Fail(uint32_t code) {
  SetLastError(code);
  return false;
}

// The keys of the configured file (none when it does not exist yet).
std::optional<Keys> Load() {
  const std::optional<std::string>& path = CurrentConfig().registry_file;
  if (!path) return MemoryKeys();
  OpenOptions options;
  File file = File::Open(*path, options);
  if (!file.valid()) {
    if (LastError() == err::kFileNotFound || LastError() == err::kPathNotFound) return Keys{};
    return std::nullopt;
  }
  const int64_t size = file.Size();
  if (size < 0) return std::nullopt;
  if (size > kMaxFileSize) {
    SetLastError(err::kBadRegistry);
    return std::nullopt;
  }
  std::string text(static_cast<size_t>(size), '\0');
  uint32_t done = 0;
  if (size > 0 && (!file.Read(text.data(), static_cast<uint32_t>(size), &done) || done != size)) {
    if (LastError() == err::kSuccess) SetLastError(err::kHandleEof);
    return std::nullopt;
  }
  std::optional<Keys> keys = Parse(text);
  if (!keys) SetLastError(err::kBadRegistry);
  return keys;
}

bool Store(const Keys& keys) {
  const std::optional<std::string>& path = CurrentConfig().registry_file;
  if (!path) {
    MemoryKeys() = keys;
    return true;
  }
  const size_t slash = path->find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !CreateFolderTree(path->substr(0, slash))) return false;
  const std::string temporary = *path + ".new";
  const std::string text = Format(keys);
  {
    OpenOptions options;
    options.access = Access::Write;
    options.share = kShareNone;
    options.disposition = Disposition::CreateAlways;
    File file = File::Open(temporary, options);
    if (!file.valid()) return false;
    uint32_t done = 0;
    if (!file.Write(text.data(), static_cast<uint32_t>(text.size()), &done) || done != text.size() ||
        !file.Flush() || !file.Close()) {
      const uint32_t error = LastError();
      file = File();
      DeleteFile(temporary);
      return Fail(error == err::kSuccess ? err::kDiskFull : error);
    }
  }
  if (!MoveFile(temporary, *path, true)) {
    const uint32_t error = LastError();
    DeleteFile(temporary);
    return Fail(error);
  }
  return true;
}

}  // namespace

bool WriteUserRegistryKey(const std::string& key, const RegistryValues& values) {
  std::lock_guard lock(registry_mutex);
  std::optional<Keys> keys = Load();
  if (!keys) return false;
  auto it = FindKey(*keys, key);
  if (it == keys->end()) {
    keys->emplace_back(key, values);
  } else {
    it->second = values;
  }
  return Store(*keys);
}

std::optional<RegistryValues> ReadUserRegistryKey(const std::string& key) {
  std::lock_guard lock(registry_mutex);
  std::optional<Keys> keys = Load();
  if (!keys) return std::nullopt;
  auto it = FindKey(*keys, key);
  if (it == keys->end()) {
    SetLastError(err::kFileNotFound);
    return std::nullopt;
  }
  return it->second;
}

bool DeleteUserRegistryKey(const std::string& key) {
  std::lock_guard lock(registry_mutex);
  std::optional<Keys> keys = Load();
  if (!keys) return false;
  auto it = FindKey(*keys, key);
  if (it == keys->end()) return true;
  const std::string below = UpperUtf8(it->first) + "\\";
  for (const auto& [other, values] : *keys) {
    if (UpperUtf8(other).rfind(below, 0) == 0) return Fail(err::kAccessDenied);
  }
  keys->erase(it);
  return Store(*keys);
}

}  // namespace tlx::platform
