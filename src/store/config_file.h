// The suite's configuration file Cfg.tlx as its programs read and write it: the process-wide
// configuration record (its first 1375 bytes) followed by eight texts, each a 2-byte length and
// its code page 1251 bytes. LoadAliases reads it from the product's Cfg folder.
#pragma once
#include <cstdint>
#include <string_view>

namespace tlx::store {

// LoadConfig reads at most this many bytes of the file.
inline constexpr uint32_t kConfigReadLimit = 65000;

// Reads folder + "cfg.tlx" ("CFG#cfg.tlx" when `folder` is empty) into ConfigRecord and its eight
// texts (code page 1251 on disk, UTF-8 in the record). A file shorter than the record fills what it
// holds; texts missing at the end are left empty. Raises ZError 1 for a missing file and ZError 0
// naming the file when a text's length runs past the end of the data.
void LoadConfig(std::string_view folder);

// Writes ConfigRecord and its eight texts over the start of "CFG#cfg.tlx", which must exist; bytes
// beyond the new end stay. The file is replaced as one step. Raises ZError 1 for a missing file and
// ZError 0 naming the file for a text that is too long or has no code page 1251 form.
void SaveConfig();

}  // namespace tlx::store
