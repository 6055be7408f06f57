// The installed suite's folder tree as data: the common folders, the two language folders with their
// twenty-three working folders each, the reference-copy lists and the suite's folder short names.
// Folder numbers in install-buffer manifests index these tables from 1; the distribution builder
// matches payload folders against them, so their order is part of the distribution format.
#pragma once
#include <array>
#include <cstddef>
#include <string_view>

namespace tlx::package {

// Common folders, numbers 1..4 of volume group 0.
inline constexpr std::array<std::string_view, 4> kCommonFolders = {"\\Base", "\\Cfg", "\\Doc", "\\Exe"};

// Language folders: index 0 Ukrainian (volume group 1), index 1 Russian (volume group 2).
inline constexpr std::array<std::string_view, 2> kLanguageFolders = {"\\Ukr", "\\Rus"};

// Working folders below each language folder, numbers 1..23 of volume groups 1 and 2.
inline constexpr std::array<std::string_view, 23> kLanguageSubfolders = {
    "\\Frg_Std", "\\IFrg_Use", "\\Updt",  "\\Data",  "\\LBN",   "\\LSS",     "\\LDC",      "\\LPD",
    "\\LRG",     "\\UserNsi",  "\\Rab",   "\\Frg_Use", "\\Etalon", "\\Bak",  "\\Copy",     "\\Log",
    "\\DataOpr", "\\Arhiv",    "\\ExData", "\\LKP",  "\\BXSM",  "\\quarantine", "\\AutoSave"};

// Number of the working folder that exists only in installation variant 1.
inline constexpr size_t kVariantOneOnlyFolder = 8;  // \LPD
static_assert(kLanguageSubfolders[kVariantOneOnlyFolder - 1] == "\\LPD");

// Numbers of the working folders the reference copies use.
inline constexpr size_t kReferenceFolder = 13;  // \Etalon
inline constexpr size_t kDatabaseFolder = 5;    // \LBN
inline constexpr size_t kUserFileFolder = 10;   // \UserNsi
static_assert(kLanguageSubfolders[kReferenceFolder - 1] == "\\Etalon");
static_assert(kLanguageSubfolders[kDatabaseFolder - 1] == "\\LBN");
static_assert(kLanguageSubfolders[kUserFileFolder - 1] == "\\UserNsi");
inline constexpr size_t kConfigFolder = 2;  // common \Cfg
static_assert(kCommonFolders[kConfigFolder - 1] == "\\Cfg");

// The folder table of a volume group: group 0 the common folders, groups 1 and 2 the working folders
// of their language folder.
struct GroupFolders {
  std::string_view language;  // "" for group 0, else "\Ukr" or "\Rus"
  const std::string_view* folders;
  size_t count;
};
constexpr GroupFolders FoldersOfGroup(int group) {
  return group == 0 ? GroupFolders{"", kCommonFolders.data(), kCommonFolders.size()}
                    : GroupFolders{kLanguageFolders[group - 1], kLanguageSubfolders.data(),
                                   kLanguageSubfolders.size()};
}

// Reference copies of one language, made into its \Etalon folder after extraction.
struct ReferenceCopies {
  std::array<std::string_view, 14> databases;  // from the language's \LBN
  std::string_view user_file;                   // from the language's \UserNsi
};
inline constexpr std::array<ReferenceCopies, 2> kReferenceCopies = {{
    {{"\\1.bsu", "\\2.bsu", "\\3.bsu", "\\4.bsu", "\\5.bsu", "\\1.bru", "\\2.bru", "\\3.bru", "\\1.bmu",
      "\\2.bmu", "\\3.bmu", "\\1.bgu", "\\2.bgu", "\\3.bgu"},
     "\\userukr.nsi"},
    {{"\\1.bsr", "\\2.bsr", "\\3.bsr", "\\4.bsr", "\\5.bsr", "\\1.brr", "\\2.brr", "\\3.brr", "\\1.bmr",
      "\\2.bmr", "\\3.bmr", "\\1.bgr", "\\2.bgr", "\\3.bgr"},
     "\\userrus.nsi"},
}};
static_assert(kReferenceCopies.size() == kLanguageFolders.size());

// Configuration files copied from the common \Cfg folder into the Russian \Etalon only.
inline constexpr std::array<std::string_view, 3> kReferenceConfigFiles = {"\\cfg.tlx", "\\klsstd.tlx",
                                                                          "\\klsuse.tlx"};
inline constexpr size_t kRussianLanguage = 1;  // index in kLanguageFolders
static_assert(kLanguageFolders[kRussianLanguage] == "\\Rus");

// The suite's folder short names: (short name, folder) pairs, each table ended by a pair of empty
// texts. The per-language table names "\LKP\" twice ("lkp" and "LKP").
struct FolderShortName {
  std::string_view name;
  std::string_view folder;
};
inline constexpr std::array<FolderShortName, 4> kCommonShortNames = {{
    {"base", "\\base\\"}, {"cfg", "\\cfg\\"}, {"doc", "\\doc\\"}, {"", ""}}};
inline constexpr std::array<FolderShortName, 24> kLanguageShortNames = {{
    {"rab", "\\RAB\\"},         {"lss", "\\LSS\\"},         {"ldc", "\\LDC\\"},
    {"lpd", "\\LPD\\"},         {"lkp", "\\LKP\\"},         {"lbn", "\\LBN\\"},
    {"lrg", "\\LRG\\"},         {"usr", "\\usernsi\\"},     {"data", "\\DATA\\"},
    {"fuse", "\\frg_use\\"},    {"ifuse", "\\ifrg_use\\"},  {"fstd", "\\frg_std\\"},
    {"bak", "\\bak\\"},         {"updt", "\\updt\\"},       {"copy", "\\copy\\"},
    {"Log", "\\log\\"},         {"DOpr", "\\DataOpr\\"},    {"exdt", "\\exdata\\"},
    {"ACIM", "\\Arhiv\\"},      {"LKP", "\\LKP\\"},         {"BXSM", "\\BXSM\\"},
    {"Qrnt", "\\Quarantine\\"}, {"AS", "\\AutoSave\\"},     {"", ""}}};
static_assert(kCommonShortNames.back().name.empty() && kLanguageShortNames.back().name.empty());

}  // namespace tlx::package
