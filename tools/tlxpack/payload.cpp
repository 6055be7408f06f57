#include "tools/tlxpack/payload.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>

#include "package/distribution_writer.h"
#include "package/folder_tables.h"
#include "package/manifest_line.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "store/record_format.h"
#include "tools/tlxpack/description.h"
#include "tools/tlxpack/paths.h"

namespace tlx::tlxpack {

namespace {

// A file of the payload tree.
struct Entry {
  std::string display;  // payload-relative path as found, "/" between parts
  int group = 0;
  uint32_t folder = 0;
  std::string name;     // UTF-8
  std::string path;     // to open
  uint64_t size = 0;
  char last_byte = 0;   // of a one-byte file (a lone "@" cannot be stored)
  bool source_only = false;  // a variant alternative's source, not installed by its own name
  std::optional<uint32_t> variant;
};

// A place in the installed tree: group, folder number and name.
struct Target {
  int group = 0;
  uint32_t folder = 0;
  std::string name;
  std::string Key() const { return std::to_string(group) + "/" + std::to_string(folder) + "/" + platform::UpperUtf8(name); }
};

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
  throw std::runtime_error(where + ": " + what);
}

bool SameName(std::string_view a, std::string_view b) { return platform::UpperUtf8(a) == platform::UpperUtf8(b); }

// 1-based number of `name` in `table` (names stored with a leading backslash), 0 when absent.
uint32_t FindFolder(const std::string_view* table, size_t count, std::string_view name) {
  for (size_t i = 0; i < count; ++i) {
    if (SameName(table[i].substr(1), name)) return static_cast<uint32_t>(i + 1);
  }
  return 0;
}

int FindLanguage(std::string_view name) {
  const uint32_t n = FindFolder(package::kLanguageFolders.data(), package::kLanguageFolders.size(), name);
  return n == 0 ? 0 : static_cast<int>(n);  // language index + 1 is the group
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path + "/") {
    if (c == '/' || c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  return parts;
}

// The target a description path names; nullopt when its folders are not in the tables.
std::optional<Target> ParseTarget(const std::string& path) {
  const std::vector<std::string> parts = SplitPath(path);
  if (parts.size() == 2) {
    const uint32_t folder = FindFolder(package::kCommonFolders.data(), package::kCommonFolders.size(), parts[0]);
    if (folder != 0) return Target{0, folder, parts[1]};
  } else if (parts.size() == 3) {
    const int group = FindLanguage(parts[0]);
    const uint32_t folder =
        FindFolder(package::kLanguageSubfolders.data(), package::kLanguageSubfolders.size(), parts[1]);
    if (group != 0 && folder != 0) return Target{group, folder, parts[2]};
  }
  return std::nullopt;
}

bool IsVariantOneFolder(int group, uint32_t folder) {
  return group != 0 && folder == package::kVariantOneOnlyFolder;
}

// The payload is packed as it lies: a link would pack whatever it leads to (a device reads as an
// empty file, a file elsewhere changes under the builder) and a device, FIFO or socket holds no
// bytes of its own. Each is refused by name.
void RequirePlainEntry(const std::string& path, const platform::FolderEntry& entry) {
  if ((entry.attributes & platform::attr::kReparsePoint) != 0) {
    Fail(path, "a symbolic link (or junction); the payload takes regular files and folders only");
  }
  const platform::FileKind kind = platform::KindOf(path);
  if (kind == platform::FileKind::kSpecial) {
    Fail(path, "not a regular file (a device, FIFO or socket); the payload takes regular files and folders only");
  }
  if (kind == platform::FileKind::kMissing) Fail(path, "vanished while the payload was read");
}

std::vector<platform::FolderEntry> List(const std::string& folder) {
  auto entries = platform::ListFolder(folder, "*");
  if (!entries) Fail(folder, "cannot be listed");
  std::erase_if(*entries, [](const platform::FolderEntry& e) { return e.name == "." || e.name == ".."; });
  for (const platform::FolderEntry& entry : *entries) RequirePlainEntry(JoinPath(folder, entry.name), entry);
  return *entries;
}

// The description is a short text read whole.
constexpr uint64_t kMaxDescriptionSize = 1u << 20;

bool IsFolder(const platform::FolderEntry& entry) { return (entry.attributes & platform::attr::kDirectory) != 0; }

char LastByte(const std::string& path, uint64_t size) {
  if (size == 0) return 0;
  platform::File file = platform::File::Open(path, {});
  char byte = 0;
  uint32_t done = 0;
  if (!file.valid() || !file.Seek(static_cast<int64_t>(size - 1), platform::Origin::Begin) ||
      !file.Read(&byte, 1, &done) || done != 1) {
    Fail(path, "cannot be read");
  }
  return byte;
}

class PayloadReader {
 public:
  explicit PayloadReader(const std::string& root) : root_(root) {}

  PayloadPlan Read() {
    Description description;
    for (const platform::FolderEntry& entry : List(root_)) {
      const std::string path = JoinPath(root_, entry.name);
      if (!IsFolder(entry)) {
        if (!SameName(entry.name, kDescriptionName)) {
          Fail(path, "a file outside the product folders (only " + std::string(kDescriptionName) + " may lie here)");
        }
        if (entry.size > kMaxDescriptionSize) Fail(path, "too large for a description (at most 1 MiB)");
        description = ParseDescription(package::ReadWholeFile(path), path);
        continue;
      }
      if (uint32_t folder = FindFolder(package::kCommonFolders.data(), package::kCommonFolders.size(), entry.name)) {
        ReadWorkingFolder(path, entry.name, 0, folder);
      } else if (int group = FindLanguage(entry.name)) {
        ReadLanguageFolder(path, entry.name, group);
      } else {
        Fail(path, "not a folder of the product tree (Base, Cfg, Doc, Exe, Ukr, Rus)");
      }
    }
    ApplyDescription(description);
    return Plan(description);
  }

 private:
  void Claim(const std::string& key, const std::string& path) {
    auto [it, fresh] = folders_seen_.emplace(key, path);
    if (!fresh) Fail(path, "the same product folder as " + it->second);
  }

  void ReadLanguageFolder(const std::string& path, const std::string& shown, int group) {
    Claim("L" + std::to_string(group), path);
    for (const platform::FolderEntry& entry : List(path)) {
      const std::string sub = JoinPath(path, entry.name);
      const uint32_t folder =
          FindFolder(package::kLanguageSubfolders.data(), package::kLanguageSubfolders.size(), entry.name);
      if (!IsFolder(entry)) Fail(sub, "a file outside the working folders of " + shown);
      if (folder == 0) Fail(sub, "not a working folder of the product tree");
      ReadWorkingFolder(sub, shown + "/" + entry.name, group, folder);
    }
  }

  void ReadWorkingFolder(const std::string& path, const std::string& shown, int group, uint32_t folder) {
    Claim(std::to_string(group) + "/" + std::to_string(folder), path);
    for (const platform::FolderEntry& entry : List(path)) {
      const std::string file = JoinPath(path, entry.name);
      if (IsFolder(entry)) Fail(file, "a subfolder of a working folder cannot be installed");
      Entry e;
      e.display = shown + "/" + entry.name;
      e.group = group;
      e.folder = folder;
      e.name = entry.name;
      e.path = file;
      e.size = entry.size;
      e.last_byte = e.size == 1 ? LastByte(file, e.size) : 0;
      if (IsVariantOneFolder(group, folder)) e.variant = 1;
      const std::string key = Target{group, folder, entry.name}.Key();
      if (auto [it, fresh] = by_key_.emplace(key, entries_.size()); !fresh) {
        Fail(file, "differs from " + entries_[it->second].path + " only in letter case");
      }
      entries_.push_back(std::move(e));
    }
  }

  Entry* Find(const std::string& path) {
    std::optional<Target> target = ParseTarget(path);
    if (!target) return nullptr;
    auto it = by_key_.find(target->Key());
    return it == by_key_.end() ? nullptr : &entries_[it->second];
  }

  Entry& Require(const std::string& path, const std::string& role) {
    Entry* entry = Find(path);
    if (entry == nullptr) Fail(description_path_ + ": " + role + " \"" + path + "\"", "no such file in the payload");
    return *entry;
  }

  void ApplyDescription(const Description& description) {
    description_path_ = JoinPath(root_, kDescriptionName);
    for (const VariantFile& file : description.variant_files) {
      Entry& entry = Require(file.path, "file");
      if (entry.variant && *entry.variant != file.variant) {
        Fail(entry.path, "lies in LPD, which only variant 1 has; it cannot be given variant " + std::to_string(file.variant));
      }
      entry.variant = file.variant;
    }
    for (const Alternative& alternative : description.alternatives) {
      std::optional<Target> target = ParseTarget(alternative.path);
      if (!target) {
        Fail(description_path_ + ": alternative \"" + alternative.path + "\"", "not a path of the product tree");
      }
      if (IsVariantOneFolder(target->group, target->folder)) {
        Fail(description_path_ + ": alternative \"" + alternative.path + "\"", "LPD exists only in variant 1");
      }
      for (const std::string& source : alternative.sources) Require(source, "alternative source").source_only = true;
      if (!alternatives_.emplace(target->Key(), &alternative).second) {
        Fail(description_path_ + ": alternative \"" + alternative.path + "\"", "named twice");
      }
    }
    for (const auto& [key, alternative] : alternatives_) {
      auto it = by_key_.find(key);
      if (it != by_key_.end() && !entries_[it->second].source_only) {
        Fail(entries_[it->second].path, "is installed by the alternative \"" + alternative->path +
                                            "\"; it must not be a payload file of its own");
      }
    }
  }

  static void CheckName(const std::string& name, const std::string& where) {
    if (std::string problem = PayloadNameProblem(name); !problem.empty()) Fail(where, problem);
  }

  PayloadFile Stored(const Target& target, const Entry& source, std::optional<uint32_t> variant, const std::string& where) {
    CheckName(target.name, where);
    if (source.size == 1 && source.last_byte == static_cast<char>(store::kEndMarkerByte)) {
      Fail(source.path, "a file holding only the byte \"@\" cannot be stored: it reads as the end marker");
    }
    PayloadFile file;
    file.folder = target.folder;
    file.name = target.name;
    if (variant) file.variant = static_cast<int32_t>(*variant);
    file.source = source.path;
    file.size = source.size;
    return file;
  }

  // The installer copies these files into the Etalon folders after extraction and fails without
  // them, so a payload must install each of them in both variants.
  template <typename Pending>
  void RequireReferenceSources(const std::map<std::string, Pending>& pending) const {
    auto require = [&](int group, uint32_t folder, std::string_view name) {
      const Target target{group, folder, std::string(name.substr(1))};
      auto it = pending.find(target.Key());
      const bool everywhere = it != pending.end() && (it->second.unit.files.size() > 1 || !it->second.unit.files[0].variant);
      if (!everywhere) {
        const package::GroupFolders folders = package::FoldersOfGroup(group);
        Fail(JoinPath(root_, std::string(folders.language.empty() ? "" : folders.language.substr(1)) +
                                 std::string(folders.folders[folder - 1]) + std::string(name)),
             "missing for the reference copies (needed in every variant)");
      }
    };
    for (size_t lang = 0; lang < package::kReferenceCopies.size(); ++lang) {
      const int group = static_cast<int>(lang) + 1;
      for (std::string_view database : package::kReferenceCopies[lang].databases) require(group, package::kDatabaseFolder, database);
      require(group, package::kUserFileFolder, package::kReferenceCopies[lang].user_file);
    }
    for (std::string_view config : package::kReferenceConfigFiles) require(0, package::kConfigFolder, config);
  }

  PayloadPlan Plan(const Description& description) {
    // Every installed target with its unit, keyed for the description's order.
    struct Pending {
      Target target;
      InstallUnit unit;
    };
    std::map<std::string, Pending> pending;
    for (const Entry& entry : entries_) {
      if (entry.source_only) continue;
      Target target{entry.group, entry.folder, entry.name};
      pending[target.Key()] = {target, {{Stored(target, entry, entry.variant, entry.path)}}};
    }
    for (const auto& [key, alternative] : alternatives_) {
      Target target = *ParseTarget(alternative->path);
      InstallUnit unit;
      for (uint32_t v = 0; v < alternative->sources.size(); ++v) {
        unit.files.push_back(Stored(target, *Find(alternative->sources[v]), v,
                                    description_path_ + ": alternative \"" + alternative->path + "\""));
      }
      pending[key] = {target, std::move(unit)};
    }
    RequireReferenceSources(pending);
    std::map<std::string, size_t> rank;
    for (const std::string& path : description.order) {
      std::optional<Target> target = ParseTarget(path);
      if (!target || !pending.contains(target->Key())) {
        Fail(description_path_ + ": order \"" + path + "\"", "no such installed file");
      }
      rank.emplace(target->Key(), rank.size());
    }
    std::vector<Pending*> sorted;
    for (auto& [key, item] : pending) sorted.push_back(&item);
    std::sort(sorted.begin(), sorted.end(), [&](const Pending* a, const Pending* b) {
      const auto ra = rank.find(a->target.Key()), rb = rank.find(b->target.Key());
      const size_t ka = ra == rank.end() ? rank.size() : ra->second;
      const size_t kb = rb == rank.end() ? rank.size() : rb->second;
      if (ka != kb) return ka < kb;
      if (a->target.folder != b->target.folder) return a->target.folder < b->target.folder;
      return a->unit.files[0].name < b->unit.files[0].name;  // UTF-8 bytes: a fixed order
    });
    PayloadPlan plan;
    for (Pending* item : sorted) {
      for (const PayloadFile& file : item->unit.files) {
        plan.file_count += 1;
        plan.byte_count += file.size;
      }
      plan.groups[item->target.group].push_back(std::move(item->unit));
    }
    return plan;
  }

  std::string root_;
  std::string description_path_;
  std::vector<Entry> entries_;
  std::map<std::string, size_t> by_key_;
  std::map<std::string, std::string> folders_seen_;
  std::map<std::string, const Alternative*> alternatives_;
};

}  // namespace

std::string PayloadNameProblem(const std::string& name) {
  // A file alone in its logical file has its name as the first record, and a one-byte record "@" is
  // the record files' end marker: the installer would see an empty logical file.
  if (name == std::string(1, static_cast<char>(store::kEndMarkerByte)))
    return "the name \"@\" cannot be stored: its record would read as the end marker";
  if (std::optional<std::string> problem = package::InstallNameProblem(name)) return *problem;
  if (name.find(' ') != std::string::npos) return "the name holds a blank, which a manifest line cannot carry";
  if (!platform::Utf8ToCp1251(name)) return "the name cannot be written in code page 1251";
  return {};
}

PayloadPlan ReadPayload(const std::string& root) { return PayloadReader(AbsolutePath(root)).Read(); }

}  // namespace tlx::tlxpack
