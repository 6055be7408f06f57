// The manifest of an install buffer held against the buffer before anything of its group is written.
// A line that parses may still contradict the buffer or another line; such a manifest is damaged
// (or was made by a faulty builder), and installing it would leave files missing, empty or
// overwritten without a word. The installer refuses it and the distribution builder's verify reports
// it, through the same check.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "package/manifest_line.h"

namespace tlx::store {
class WFile;
}  // namespace tlx::store

namespace tlx::package {

// Record types inside a data logical file, after its first record (which describes the logical
// file and carries no data): type 2 carries the next bytes of the current stored file, type 0 ends
// it; other types are ignored.
inline constexpr uint8_t kStoredFileEnd = 0;
inline constexpr uint8_t kFileDataRecord = 2;

// A parsed manifest line with its record number in logical file 0 (from 1) and its trimmed text
// (UTF-8), by which messages name it.
struct NumberedLine {
  size_t number = 0;
  std::string text;
  ManifestLine line;
};

// One contradiction, on manifest line `number` (0: the manifest as a whole).
struct ManifestContradiction {
  size_t number = 0;
  std::string what;  // as the installer shows it
};

// What a chain of records holds as the installer reads it.
struct ChainContents {
  uint64_t bytes = 0;        // bytes of the live records read, the end marker included
  uint32_t stored_files = 0; // after the first record: runs of records ended by a type-0 record
                             // or, for the last, by the end marker
};

// Reads logical file `logical` of `buffer` to its end marker, heads only. Raises the record file's
// ZErrors (a loop, a link or length out of the file). Moves the buffer's reader.
ChainContents ReadChainContents(store::WFile& buffer, uint32_t logical);

// Holds `lines` (the parsed manifest of `buffer`, volume group `group`) against the buffer and one
// another, in time linear in the lines and the records of the logical files they name:
// - the manifest chain, and the chain of each logical file a line names, must read as long as the
//   directory says (a record that reads as the end marker cuts a chain short);
// - a line must name a logical file that exists and is not empty;
// - no two lines may name one target (folder and name, letter case aside) unless they are variant
//   alternatives (both tagged, with different tags);
// - a logical file must hold at least as many stored files as lines name it.
// Returns the contradictions in line order (empty: none). Raises the record file's ZErrors of a
// chain that cannot be read. Moves the buffer's reader.
std::vector<ManifestContradiction> FindManifestContradictions(store::WFile& buffer, int group,
                                                              const std::vector<NumberedLine>& lines);

// The text the installer raises for a contradiction: the buffer, the line and what is wrong.
std::string ContradictionText(const std::string& buffer_name, const std::vector<NumberedLine>& lines,
                              const ManifestContradiction& contradiction);

}  // namespace tlx::package
