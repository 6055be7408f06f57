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

// Bytes of the install buffer read at a time while a volume is packed.
inline constexpr size_t kDefaultPackPiece = size_t{1} << 20;
// A volume is packed with the x86 filter too, and the smaller kept, when its image has at least one
// call or jump to convert per this many bytes (x86 code has one every few dozen bytes, text and
// random bytes far fewer).
inline constexpr uint64_t kX86Density = 4096;

// Packs every volume of `layout` from the buffers into `setup_folder` + VolumeName(number) on `jobs`
// threads, each volume streamed from its buffer in pieces of `piece` bytes into the LZMA coder and on
// into its file, so memory is a coder and a piece per thread whatever the volume size. The bytes
// depend neither on `jobs` nor on `piece`: each volume is what EncodeContainer makes of its image
// (VolumeImages), with filter none, or x86 when that is smaller. Returns one result per volume, in
// number order. Throws std::runtime_error naming the volume when reading, packing or writing fails.
std::vector<PackedVolume> PackVolumes(const VolumeLayout& layout,
                                      const std::array<std::string, package::kVolumeGroups>& buffers,
                                      const std::string& setup_folder, unsigned jobs, BuildProgress& progress,
                                      size_t piece = kDefaultPackPiece);

// The bytes of `kssum`: the three ranges, then one checksum record per volume in number order.
std::string ChecksumTable(const VolumeLayout& layout, const std::vector<PackedVolume>& volumes);

}  // namespace tlx::tlxpack
