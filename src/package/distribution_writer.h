// Writing a distribution: each group's install buffer (a scrambled compound file holding the manifest
// and the stored files), the unpacked volume images that carry it, the packed volumes and the
// checksum table `kssum`. The distribution builder and the installer's tests use it; every file it
// writes passes the installer's own checks.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "package/manifest_line.h"
#include "package/volume_set.h"

namespace tlx::package {

// One file of a group: where it goes and its bytes, given in memory or as a file read in pieces
// while the buffer is written (never held whole).
struct StoredFile {
  ManifestLine line;   // logical file (1..99), folder number, name, variant
  std::string data;    // the bytes, unless `source` names a file
  std::string source = {};  // the file holding the bytes (empty: `data`)
  uint64_t size = 0;   // the size `source` must still have when it is read
};

// Writes the install buffer of `group` to `path` (replacing it): logical file 0 the manifest in the
// order of `files` (code page 1251), each data logical file a first record naming its files, then per
// stored file its data in type-2 records and a type-0 record. Files sharing a logical file follow one
// another in it in the order given. Raises ZError 0 for a line the installer would refuse, a name
// without a code page 1251 form, or a one-byte file holding "@" (the record format cannot store it),
// before writing anything; ZError 0 naming a source whose size is no longer the one given; and the
// file layer's errors.
// `on_stored` (optional) hears each file once its bytes are in the buffer.
void WriteInstallBuffer(const std::string& path, int group, const std::vector<StoredFile>& files,
                        const std::function<void(const StoredFile&)>& on_stored = {});

// The checksum of one packed volume as `kssum` records it.
struct VolumeSum {
  uint32_t lo = 0;
  uint32_t hi = 0;
};

// The bytes of `kssum`: the three group ranges (first, last as LE32), then one record per volume
// (lo, hi as LE32) in processing order.
std::string ChecksumTableBytes(const std::array<VolumeRange, kVolumeGroups>& ranges,
                               const std::vector<VolumeSum>& sums);

// Writes the volumes and `kssum` of a distribution into `setup_folder` (Windows path, existing),
// using `work_file` as scratch space. Groups are added in order, their volume numbers ascending and
// above those of earlier groups; a group never added has no volumes.
class DistributionWriter {
 public:
  DistributionWriter(std::string setup_folder, std::string work_file);

  // Packs each unpacked volume image into the group's volumes, numbered from `first`. Returns the
  // number after the last. Raises ZError 0 when a number or the order is wrong or packing fails.
  int32_t AddGroup(int group, int32_t first, const std::vector<std::string>& images);

  // Writes `kssum`: the three ranges and a checksum record per volume in processing order.
  void Finish();

 private:
  std::string setup_folder_;
  std::string work_file_;
  std::array<VolumeRange, kVolumeGroups> ranges_{};
  std::vector<VolumeSum> checksums_;
  int next_group_ = 0;
  int32_t next_number_ = 0;
};

// The whole bytes of a file through the file layer (ZError 1 when missing).
std::string ReadWholeFile(const std::string& path);
// Writes `bytes` as the file `path`, replacing it.
void WriteWholeFile(const std::string& path, std::string_view bytes);

}  // namespace tlx::package
