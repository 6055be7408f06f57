#include "store/config_file.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "config/config_record.h"
#include "messages/zerror.h"
#include "platform/text.h"
#include "store/aliases.h"
#include "store/settings_file.h"
#include "store/sfile.h"

namespace tlx::store {
namespace {

using config::Config;
using config::ConfigRecord;
using config::kConfigRecordSize;

constexpr char kDefaultConfigName[] = "CFG#cfg.tlx";

[[noreturn]] void RaiseReadError(const std::string& name) {
  messages::RaiseMsg("Файл " + name + " - Ошибки при чтении", messages::kMsgFinalText);
}

}  // namespace

void LoadConfig(std::string_view folder) {
  const std::string name = folder.empty() ? std::string(kDefaultConfigName) : std::string(folder) + "cfg.tlx";
  SFile file(name, kSFileRead);
  const std::vector<uint8_t> data = ReadUpTo(file, kConfigReadLimit);
  file.Close();
  ConfigRecord& record = Config();
  std::copy_n(data.begin(), std::min(data.size(), kConfigRecordSize), record.Bytes().begin());
  std::size_t at = kConfigRecordSize;
  for (std::string& text : record.Texts()) {
    if (at + 2 > data.size()) {
      text.clear();
      continue;
    }
    const std::size_t length = data[at] | (static_cast<std::size_t>(data[at + 1]) << 8);
    if (length > data.size() - at - 2) RaiseReadError(file.Name());
    text = platform::Cp1251ToUtf8(
        std::string_view(reinterpret_cast<const char*>(data.data() + at + 2), length));
    at += 2 + length;
  }
}

void SaveConfig() {
  const std::string name = ResolveName(kDefaultConfigName);
  std::vector<uint8_t> content;
  {
    SFile file(name, kSFileRead);
    const int64_t size = file.Size();
    if (size > 0) content = ReadUpTo(file, static_cast<uint32_t>(std::min<int64_t>(size, UINT32_MAX)));
  }
  const ConfigRecord& record = Config();
  std::vector<uint8_t> fresh(record.Bytes().begin(), record.Bytes().end());
  int slot = 0;
  for (const std::string& text : record.Texts()) {
    const std::optional<std::string> stored = platform::Utf8ToCp1251(text);
    if (!stored || stored->size() > UINT16_MAX)
      messages::RaiseMsg("Файл " + name + " - текст " + std::to_string(slot) + " не может быть записан",
                         messages::kMsgFinalText);
    fresh.push_back(static_cast<uint8_t>(stored->size()));
    fresh.push_back(static_cast<uint8_t>(stored->size() >> 8));
    fresh.insert(fresh.end(), stored->begin(), stored->end());
    ++slot;
  }
  if (content.size() < fresh.size()) content.resize(fresh.size());
  std::copy(fresh.begin(), fresh.end(), content.begin());
  ReplaceFileContents(name, content);
}

}  // namespace tlx::store
