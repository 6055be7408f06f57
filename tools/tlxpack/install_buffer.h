// The install buffer of one volume group as the distribution builder writes it: a compound file,
// scrambled with parameter group + ScrambleOffset, whose logical file 0 is the manifest (one record
// per line "NNFFname[ tag]") and whose logical files 1..99 hold the stored files. Each data logical
// file starts with a description record (type 1, the installer skips it), then for every stored file
// its data in type-2 records of at most 20000 bytes and a type-0 record holding the file's size as
// 8 bytes, little-endian.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tlx::tlxpack {

// Record types of a data logical file.
inline constexpr uint8_t kDescriptionRecord = 1;
inline constexpr uint8_t kDataRecord = 2;
inline constexpr uint8_t kFileEndRecord = 0;
// Logical files a manifest line can name (two decimal digits, 0 is the manifest).
inline constexpr uint32_t kMaxDataLogicalFiles = 99;

// One stored file: one manifest line and the bytes its records carry.
struct StoredFile {
  uint32_t folder = 0;             // 1-based number in the group's folder table
  std::string name;                // as installed, code page 1251
  std::optional<uint32_t> variant; // the installation variant it belongs to; none: every variant
  std::string source;              // path of the bytes
  uint64_t size = 0;               // size of the source when the payload was read
  char last_byte = 0;              // the source's last byte when its size is 20000 k + 1, else 0
};

// Files installed to one target (one file, or variant alternatives of one file). They stay
// together, in order, in one logical file.
struct InstallUnit {
  std::vector<StoredFile> files;
};

// Where everything of a group goes, computed before anything is written.
struct BufferLayout {
  std::vector<uint32_t> logical_of_unit;  // data logical file (1..99) of each unit
  uint32_t logical_count = 1;             // of the compound file: the manifest plus the data files
  std::vector<std::string> manifest;      // lines, in the order of the logical files
  uint64_t size = 0;                      // exact size of the buffer file
};

// Data logical file of each of `unit_count` units: one each while there are at most 99 units,
// otherwise 99 consecutive runs of nearly equal length.
std::vector<uint32_t> AssignLogicalFiles(size_t unit_count);

// The manifest line of `file` stored in logical file `logical` (code page 1251).
std::string ManifestLine(uint32_t logical, const StoredFile& file);

// Sizes of the data records of a file of `size` bytes whose last byte is `last_byte`: 20000 each,
// except that a last record that would be the single byte "@" (which reads as the end marker) is
// avoided by shortening the one before it. Throws std::invalid_argument for a file that is just "@".
std::vector<uint32_t> DataRecordSizes(uint64_t size, char last_byte);

// Lays out the buffer of `units`. Throws std::invalid_argument for a file that cannot be stored.
BufferLayout LayOutBuffer(const std::vector<InstallUnit>& units);

// Writes the buffer of `units` (laid out as `layout`) for `group` to `path`, replacing it.
// `on_file` hears each stored file once its bytes are in. Raises the file layer's ZError for the
// buffer and std::runtime_error for a source that cannot be read or changed since it was listed.
void WriteInstallBuffer(const std::string& path, int group, const std::vector<InstallUnit>& units,
                        const BufferLayout& layout, const std::function<void(uint64_t bytes)>& on_file);

}  // namespace tlx::tlxpack
