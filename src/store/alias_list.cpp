#include "store/alias_list.h"

#include <mutex>

#include "messages/zerror.h"
#include "platform/text.h"
#include "store/aliases.h"
#include "store/wfile.h"

namespace tlx::store {

namespace {

struct CodeTextEntry {
  int code;
  std::string_view text;
};
constexpr CodeTextEntry kCodeTexts[] = {
    {eals_NoId, "Отсутствует идентификатор(имя) Alias"},
    {eals_IdTooLong, "Длина идентификатора(имени) Alias > dfMaxLenAliasID"},
    {eals_InfoTooLong, "Длина информации для Alias > dfMaxLenAliasInfo"},
    {eals_OpenFailed, "Ошибка при открытии файла Alias"},
    {eals_Empty, "Список Alias пустой"},
    {eals_HasErrors, "В списке Alias есть ошибки"},
};

std::string TrimRight(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return std::string(s);
}

std::string TrimLeft(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  return std::string(s);
}

std::size_t CharCount(std::string_view utf8) {
  std::size_t count = 0;
  for (char c : utf8) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

}  // namespace

std::string_view TLBsAls::CodeText(int code) {
  for (const CodeTextEntry& entry : kCodeTexts) {
    if (entry.code == code) return entry.text;
  }
  return {};
}

int TLBsAls::AddItem(std::string_view line) {
  TLAlsItem item;
  const std::size_t hash = line.find('#');
  item.id = TrimRight(TrimLeft(line.substr(0, hash)));
  if (hash != std::string_view::npos) item.info = TrimRight(TrimLeft(line.substr(hash + 1)));
  if (item.id.empty()) {
    item.code = eals_NoId;
  } else if (CharCount(item.id) > dfMaxLenAliasID) {
    item.code = eals_IdTooLong;
  } else if (CharCount(item.info) > dfMaxLenAliasInfo) {
    item.code = eals_InfoTooLong;
  }
  items_.push_back(item);
  return item.code;
}

void TLBsAls::Finish() {
  code_ = items_.empty() ? eals_Empty : eals_Ok;
  for (const TLAlsItem& item : items_) {
    if (item.code != eals_Ok) code_ = eals_HasErrors;
  }
}

int TLBsAls::LoadRecordFile(std::string_view name) {
  try {
    WFile file(name, SimpleMode::Read);
    WRec rec;
    while (file.ReadRecord(rec)) {
      const std::string_view data = rec.bytes();
      AddItem(platform::Cp1251ToUtf8(data.substr(0, data.find('\0'))));
    }
  } catch (const messages::ZError&) {
    code_ = eals_OpenFailed;
    return code_;
  }
  Finish();
  return code_;
}

int TLBsAls::LoadTextFile(std::string_view name) {
  std::string bytes;
  try {
    SFile file(name, kSFileRead);
    const int64_t size = file.Size();
    bytes.resize(static_cast<std::size_t>(size));
    uint32_t done = 0;
    while (done < bytes.size()) {
      const uint32_t got = file.Read(bytes.data() + done, static_cast<uint32_t>(bytes.size() - done));
      if (got == 0) break;
      done += got;
    }
    bytes.resize(done);
  } catch (const messages::ZError&) {
    code_ = eals_OpenFailed;
    return code_;
  }
  return LoadText(platform::Cp1251ToUtf8(bytes));
}

int TLBsAls::LoadText(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    const std::string_view line = text.substr(pos, end == std::string_view::npos ? text.npos : end - pos);
    if (end == std::string_view::npos) {
      pos = text.size();
    } else {
      // CR LF and LF CR are one line end; a lone CR or LF is one too.
      const char first = text[end];
      pos = end + 1;
      if (pos < text.size() && (text[pos] == '\r' || text[pos] == '\n') && text[pos] != first) ++pos;
    }
    const std::string trimmed = TrimLeft(line);
    if (trimmed.empty() || trimmed.rfind("//", 0) == 0) continue;
    AddItem(line);
  }
  Finish();
  return code_;
}

std::optional<std::string> TLBsAls::Find(std::string_view id) const {
  const std::string key = platform::UpperUtf8(id);
  for (const TLAlsItem& item : items_) {
    if (item.code == eals_Ok && platform::UpperUtf8(item.id) == key) return item.info;
  }
  return std::nullopt;
}

TLBsAls& TLSAls() {
  static std::mutex mutex;
  static TLBsAls list;
  static bool loaded = false;
  std::lock_guard lock(mutex);
  if (!loaded) {
    loaded = true;
    list.LoadRecordFile(ExeFolder() + "alias.tlx");
  }
  return list;
}

}  // namespace tlx::store
