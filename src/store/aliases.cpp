#include "store/aliases.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

#include "config/config_record.h"
#include "messages/message_sink.h"
#include "messages/msg_text.h"
#include "messages/zerror.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "store/config_file.h"
#include "store/version.h"
#include "store/wfile.h"
#include "store/wrec.h"

namespace tlx::store {

namespace {

struct AliasState {
  std::mutex mutex;
  std::string product_root;
  std::string exe_folder;
  std::string cfg_folder;
  std::string cfg_product_folder;
  // Sorted by name (stable, so the first of equal names wins); second: index into paths.
  std::vector<std::pair<std::string, std::size_t>> names;
  std::vector<std::string> paths;
  bool loaded = false;
};

AliasState& State() {
  static AliasState state;
  return state;
}

std::string Trim(std::string_view s) {
  std::size_t first = 0;
  std::size_t last = s.size();
  while (first < last && static_cast<unsigned char>(s[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(s[last - 1]) <= ' ') --last;
  return std::string(s.substr(first, last - first));
}

// One path of an alias record: trimmed, upper-cased, a leading "@" replaced by the product folder.
std::string AliasPath(std::string_view part, std::string_view product_root) {
  std::string path = platform::UpperUtf8(Trim(part));
  if (!path.empty() && path[0] == '@') path = std::string(product_root) + path.substr(1);
  return path;
}

void ShowPlainMessage(const std::string& text) {
  messages::MessageRequest request;
  request.style = messages::EMsgStyle::ems_Standard;
  request.kind = messages::EMsgKind::emk_Error;
  request.text = text;
  request.buttons = {messages::EMsgButton::emb_Close};
  request.default_button = messages::EMsgButton::emb_Close;
  messages::CurrentMessageSink().Show(request);
}

constexpr const char* kCfgFiles[] = {"cfg.tlx", "boib.sfr", "klsstd.tlx", "klsuse.tlx"};
constexpr std::string_view kStopText = ".\n Робота програми припиняється!";

}  // namespace

const std::string& ProductRoot() { return State().product_root; }
void SetProductRoot(std::string_view root) { State().product_root = std::string(root); }
const std::string& ExeFolder() { return State().exe_folder; }
const std::string& CfgFolder() { return State().cfg_folder; }
const std::string& CfgProductFolder() { return State().cfg_product_folder; }

std::string ResolveName(std::string_view name) {
  const std::size_t hash = name.find('#');
  if (hash == std::string_view::npos) return std::string(name);
  const std::string alias = platform::UpperUtf8(Trim(name.substr(0, hash)));
  const std::string file = Trim(name.substr(hash + 1));
  if (alias.empty() && file.empty()) messages::RaiseMsg(std::string(name), kMsgNoFileName);
  if (file.empty()) return alias;
  return AliasFolder(alias) + file;
}

std::string AliasFolder(std::string_view alias) {
  const std::string key = platform::UpperUtf8(alias);
  std::string path;
  {
    AliasState& state = State();
    std::lock_guard lock(state.mutex);
    auto it = std::lower_bound(state.names.begin(), state.names.end(), key,
                               [](const auto& entry, const std::string& k) { return entry.first < k; });
    if (it == state.names.end() || it->first != key) messages::RaiseMsg(key, kMsgNoAlias);
    path = state.paths[it->second];
  }
  if (!path.empty() && path[0] == messages::kRussianMark) {
    const bool russian = config::Config().DocLanguage() == config::kLangRussian;
    path = messages::PickLang(path, russian ? messages::kLangRussian : messages::kLangUkrainian);
  }
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

AliasEntry ParseAliasRecord(std::string_view text, std::string_view product_root) {
  AliasEntry entry;
  const std::size_t first = text.find('#');
  entry.name = platform::UpperUtf8(Trim(text.substr(0, first)));
  if (first == std::string_view::npos) return entry;
  const std::string_view rest = text.substr(first + 1);
  const std::size_t second = rest.find('#');
  if (second == std::string_view::npos) {
    entry.path = AliasPath(rest, product_root);
  } else {
    entry.path = std::string(1, messages::kRussianMark) + AliasPath(rest.substr(0, second), product_root) +
                 std::string(1, messages::kUkrainianMark) + AliasPath(rest.substr(second + 1), product_root);
  }
  return entry;
}

void AddAlias(const AliasEntry& entry) {
  AliasState& state = State();
  std::lock_guard lock(state.mutex);
  state.paths.push_back(entry.path);
  state.names.emplace_back(entry.name, state.paths.size() - 1);
  std::stable_sort(state.names.begin(), state.names.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  state.loaded = true;
}

void ClearAliases() {
  AliasState& state = State();
  std::lock_guard lock(state.mutex);
  state.names.clear();
  state.paths.clear();
  state.loaded = false;
}

std::string MissingAliasFileMessage(std::string_view exe_folder) {
  return "У тецi Exe по маршруту " + std::string(exe_folder) + " відсутній файл alias.tlx" +
         std::string(kStopText);
}

std::string MissingCfgFilesMessage(std::string_view cfg_folder, std::string_view missing_list) {
  return "У тецi CFG по маршруту " + std::string(cfg_folder) + " відсутні файли " +
         std::string(missing_list) + std::string(kStopText);
}

int LoadAliases(bool skip_check) {
  AliasState& state = State();
  state.exe_folder = state.product_root + "\\EXE\\";
  state.cfg_folder = state.product_root + "\\Cfg\\";
  if (!skip_check) {
    if (!platform::FileExists(state.exe_folder + "alias.tlx")) {
      ShowPlainMessage(MissingAliasFileMessage(state.exe_folder));
      return 1;
    }
    std::string missing;
    for (const char* file : kCfgFiles) {
      if (!platform::FileExists(state.cfg_folder + file)) missing += std::string(" \"") + file + "\",";
    }
    if (!missing.empty()) {
      missing.pop_back();
      ShowPlainMessage(MissingCfgFilesMessage(state.cfg_folder, missing));
      return 1;
    }
  }
  LoadConfig(state.cfg_folder);
  SetCurrentVersion(platform::Cp1251ToUtf8(config::Config().VersionText()));

  WFile file(state.exe_folder + "alias.tlx", SimpleMode::Read);
  WRec rec;
  while (file.ReadRecord(rec)) {
    const std::string_view data = rec.bytes();
    const std::string text = platform::Cp1251ToUtf8(data.substr(0, data.find('\0')));
    AddAlias(ParseAliasRecord(text, state.product_root));
  }
  return 0;
}

std::string FindCfgFolderFrom(std::string_view start_folder) {
  AliasState& state = State();
  std::string folder(start_folder);
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  for (;;) {
    if (platform::FolderExists(folder + "\\CFG")) {
      state.cfg_product_folder = folder + "\\";
      return folder + "\\CFG\\";
    }
    const std::size_t cut = folder.rfind('\\');
    if (cut == std::string::npos) break;
    folder.resize(cut);
  }
  std::string cfg = "E:\\TLX3\\CFG\\";
  state.cfg_product_folder = "E:\\TLX3\\";
  if (!platform::FolderExists(cfg)) {
    std::string program(start_folder);
    while (!program.empty() && program.back() == '\\') program.pop_back();
    const std::size_t cut = program.rfind('\\');
    state.cfg_product_folder = cut == std::string::npos ? std::string() : program.substr(0, cut + 1);
    cfg = state.cfg_product_folder + "CFG\\";
    if (!platform::FolderExists(cfg)) {
      state.cfg_product_folder.clear();
      messages::RaiseMsg("Отсутствует директория CFG", messages::kMsgFinalText);
    }
  }
  return cfg;
}

std::string FindCfgFolder() { return FindCfgFolderFrom(platform::ProgramFolder()); }

}  // namespace tlx::store
