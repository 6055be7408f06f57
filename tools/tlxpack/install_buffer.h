// How the builder fills a group's install buffer: which logical file each installed file takes, and
// the buffer itself written through the package's distribution writer (manifest in logical file 0,
// one data logical file per installed file while there are at most 99, otherwise shared ones).
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tlx::tlxpack {

// One stored file of the payload: where it goes and where its bytes are.
struct PayloadFile {
  uint32_t folder = 0;              // 1-based number in the group's folder table
  std::string name;                 // as installed, UTF-8
  std::optional<int32_t> variant;   // the installation variant it belongs to; none: every variant
  std::string source;               // path of the bytes
  uint64_t size = 0;                // size of the source when the payload was read
};

// Files installed to one target (one file, or variant alternatives of one file). They stay
// together, in order, in one logical file.
struct InstallUnit {
  std::vector<PayloadFile> files;
};

// Data logical file of each of `unit_count` units: one each while there are at most 99 units,
// otherwise 99 consecutive runs of nearly equal length (several manifest lines per logical file).
std::vector<uint32_t> AssignLogicalFiles(size_t unit_count);

// Largest install buffer: its records are addressed with 32-bit offsets that must stay positive.
inline constexpr uint64_t kMaxInstallBufferSize = 0x7FFFFFFF;

// Refuses, before any source is read, files of `group` that cannot fit one install buffer: throws
// std::runtime_error naming the first file with which the group's stored bytes (records counted)
// pass kMaxInstallBufferSize.
void CheckInstallBufferRoom(int group, const std::vector<InstallUnit>& units);

// Writes the install buffer of `group` to `path`, each source read in pieces while it is stored
// (never held whole). `on_file` hears each stored file once its bytes are in. Raises what
// CheckInstallBufferRoom raises, the package's and the file layer's ZError (a source that cannot be
// read, or whose size changed since the payload was read).
void BuildInstallBuffer(const std::string& path, int group, const std::vector<InstallUnit>& units,
                        const std::function<void(uint64_t bytes)>& on_file);

}  // namespace tlx::tlxpack
