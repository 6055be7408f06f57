// The volumes of a distribution: each group's install buffer cut into the package's volume images
// (16384-byte blocks of a 2-byte payload length and up to 16382 payload bytes), numbered from 1
// upwards across groups 0, 1, 2, each packed into the 14-byte-header LZMA container on several
// threads at once, and the checksum table `kssum` over them.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "package/volume_set.h"
#include "platform/sha256.h"

namespace tlx::tlxpack {

class BuildProgress;

inline constexpr int32_t kFirstVolumeNumber = 1;

// One volume: a slice of its group's install buffer.
struct VolumePlan {
  int group = 0;
  int32_t number = 0;
  uint64_t offset = 0;  // in the buffer
  uint64_t length = 0;  // payload bytes
};

struct VolumeLayout {
  uint32_t blocks_per_volume = 1;
  std::vector<VolumePlan> volumes;  // in number order
  std::array<package::VolumeRange, package::kVolumeGroups> ranges{};
};

// Cuts three buffers of the given sizes (each at least one byte) into volumes of
// `blocks_per_volume` blocks. Throws std::invalid_argument when the numbers would pass 999.
VolumeLayout LayOutVolumes(const std::array<uint64_t, package::kVolumeGroups>& buffer_sizes,
                           uint32_t blocks_per_volume);

// Checksum, SHA-256 and packed size of one written volume.
struct PackedVolume {
  uint32_t lo = 0;
  uint32_t hi = 0;
  platform::Sha256Digest sha256{};
  uint64_t packed_size = 0;
};

// Packs every volume of `layout` from the buffers into `setup_folder` + VolumeName(number) on `jobs`
// threads (the bytes do not depend on `jobs`). Returns one result per volume, in number order.
// Throws std::runtime_error naming the volume when reading, packing or writing fails.
std::vector<PackedVolume> PackVolumes(const VolumeLayout& layout,
                                      const std::array<std::string, package::kVolumeGroups>& buffers,
                                      const std::string& setup_folder, unsigned jobs, BuildProgress& progress);

// The bytes of `kssum`: the three ranges, then one checksum record per volume in number order.
std::string ChecksumTable(const VolumeLayout& layout, const std::vector<PackedVolume>& volumes);

}  // namespace tlx::tlxpack
