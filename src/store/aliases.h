// Path aliases: the suite names files as ALIAS#file, where ALIAS stands for a folder listed in the
// alias file "alias.tlx" of the product's Exe folder. Also the start check of the suite's programs
// and the search for the CFG folder. All texts are UTF-8.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace tlx::store {

// ZError numbers of name resolution.
inline constexpr int32_t kMsgNoFileName = 6;  // "Не задано имя файла $"
inline constexpr int32_t kMsgNoAlias = 7;     // "Заданный псевдоним $ отсутствует в списке псевдонимов"

// The product folder holding the Exe and Cfg folders, without a trailing backslash. Must be set
// before LoadAliases.
const std::string& ProductRoot();
void SetProductRoot(std::string_view root);
// ProductRoot + "\EXE\" and ProductRoot + "\Cfg\", as set by LoadAliases (empty before).
const std::string& ExeFolder();
const std::string& CfgFolder();

// A name without "#" comes back unchanged; "alias#file" becomes AliasFolder(alias) + file (both
// parts trimmed, the alias upper-cased); "alias#" gives the alias itself. ZError 6 when both parts
// are empty, ZError 7 (from AliasFolder) for an unknown alias.
std::string ResolveName(std::string_view name);

// The folder of `alias` (any case), ending with a backslash; a two-language path gives the part of
// the document language (byte 22 of the configuration record). ZError 7 with the upper-cased alias
// when it is not listed or no list is loaded.
std::string AliasFolder(std::string_view alias);

// One alias of the alias file: NAME "#" ["@"] path ["#" ["@"] second path], trimmed and upper-cased;
// "@" stands for `product_root`; two paths give 0x04 + first + 0x05 + second.
struct AliasEntry {
  std::string name;
  std::string path;
};
AliasEntry ParseAliasRecord(std::string_view text, std::string_view product_root);

// Adds one alias to the process-wide lists (the list is sorted again).
void AddAlias(const AliasEntry& entry);
// Forgets every alias (the state before the first LoadAliases).
void ClearAliases();

// Sets ExeFolder and CfgFolder from ProductRoot; unless `skip_check`, checks that alias.tlx and the
// four configuration files exist (else shows the start-check message and returns 1); loads
// CfgFolder's cfg.tlx into the configuration record (LoadConfig), takes the suite version from it
// and adds every record of alias.tlx. Returns 0. Raises LoadConfig's errors and the record-file
// errors of alias.tlx.
int LoadAliases(bool skip_check);

// The start-check message for missing configuration files, e.g. the list ' "cfg.tlx", "boib.sfr"'.
std::string MissingCfgFilesMessage(std::string_view cfg_folder, std::string_view missing_list);
std::string MissingAliasFileMessage(std::string_view exe_folder);

// The CFG folder of the running program: the first "CFG" subfolder of the program's folder or one
// of its parents, else "E:\TLX3\CFG\", else the program folder's parent + "CFG\". Also sets
// CfgProductFolder. Raises ZError 0 "Отсутствует директория CFG" when none exists.
std::string FindCfgFolder();
// The same search starting in `start_folder` (no trailing backslash).
std::string FindCfgFolderFrom(std::string_view start_folder);
// The product folder found by FindCfgFolder, ending with a backslash (used by the grid's settings).
const std::string& CfgProductFolder();

}  // namespace tlx::store
