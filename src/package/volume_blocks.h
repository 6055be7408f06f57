// The block layout of an unpacked volume: blocks of 16384 bytes (the last may be shorter), each a
// 16-bit little-endian payload length L followed by L payload bytes (L <= block length - 2) and
// unused bytes. The payloads of a group's volumes, in volume order, make up its install buffer.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "package/volume_stream.h"

namespace tlx::store {
class SFile;
class WRec;
}  // namespace tlx::store

namespace tlx::package {

inline constexpr uint32_t kVolumeBlockSize = 16384;
inline constexpr uint32_t kMaxBlockPayload = kVolumeBlockSize - 2;

// Reads `unpacked` in blocks through `piece` (at least 16384 bytes) and appends each block's payload
// to `buffer`. Raises ZError 0 naming `source` (the volume) when a block is cut inside its length
// field or its length is larger than the block, and the file layer's errors.
void AppendVolumeBlocks(store::SFile& unpacked, store::SFile& buffer, store::WRec& piece,
                        const std::string& source);

// The same, as a stream: an unpacked volume arriving in pieces of any size goes straight into
// `buffer`, with no file of its own. Raises the same errors as AppendVolumeBlocks, in Write or in
// Finish (a short last block is only known at the end).
class BlockSink final : public DecodedSink {
 public:
  BlockSink(store::SFile& buffer, std::string source) : buffer_(buffer), source_(std::move(source)) {}
  bool Write(std::span<const uint8_t> bytes) override;
  // After the last piece: the last block must hold its length field and the payload it announces.
  void Finish() const;

 private:
  [[noreturn]] void Raise(const std::string& what) const;

  store::SFile& buffer_;
  std::string source_;
  uint64_t block_ = 0;     // the block being read
  uint32_t position_ = 0;  // in that block, 0 .. kVolumeBlockSize - 1
  uint16_t length_ = 0;    // its payload length, once both bytes are in
  uint8_t low_ = 0;        // the first byte of the length field
};

// The unpacked volume images carrying `payload`: full blocks of 16382 payload bytes, the last block
// of an image only as long as it needs; `blocks_per_volume` (>= 1) blocks per image. An empty
// payload gives one image of one empty block.
std::vector<std::string> VolumeImages(std::string_view payload, size_t blocks_per_volume);

}  // namespace tlx::package
