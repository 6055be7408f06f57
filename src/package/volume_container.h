// The volume container: a 14-byte header (filter byte, LZMA properties, unpacked size) followed by the raw
// LZMA stream. In-memory coding of whole containers; the file operations are in lzma_volume.h.
//
//   offset 0  1 byte   filter: 0 none, 1 x86 branch conversion applied after decoding
//   offset 1  5 bytes  LZMA properties (lc/lp/pb byte, dictionary size LE32)
//   offset 6  8 bytes  unpacked size, LE64
//   offset 14          raw LZMA stream, with or without an end marker
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "package/codec_status.h"
#include "package/lzma_codec.h"

namespace tlx::package {

inline constexpr size_t kContainerHeaderSize = 14;

enum class VolumeFilter : uint8_t { kNone = 0, kX86 = 1 };

struct ContainerHeader {
  uint8_t filter = 0;  // a VolumeFilter when valid; DecodeContainer refuses any other value
  std::array<uint8_t, kLzmaPropsSize> props{};
  uint64_t unpacked_size = 0;
};

// Reads the header at the start of `container`; kInputShort when fewer than 14 bytes are there.
CodecStatus ReadContainerHeader(std::span<const uint8_t> container, ContainerHeader* header);

// Decodes a whole container into `dest`, which must hold exactly the header's unpacked size (else
// kOutputShort; kUnsupported for a filter byte other than 0 and 1), then undoes the x86 conversion when the filter byte asks for it. Bytes after the
// stream are ignored. Any other failure is the decoder's (see LzmaDecode).
CodecStatus DecodeContainer(std::span<const uint8_t> container, std::span<uint8_t> dest,
                            CodecProgress* progress);

// Room that is always enough for the container of `input_size` bytes: (size div 20) x 21 + 65536.
uint64_t PackCapacity(uint64_t input_size);

// Encodes `src` as a container into `dest` (level 9, 8 MiB dictionary); `*written` gets the container's
// size. kOutputShort when dest cannot hold the header or the stream, kStopped when `progress` stopped it.
// Volumes for distribution use filter kNone and no end marker; the other forms are for compatibility.
CodecStatus EncodeContainer(std::span<const uint8_t> src, std::span<uint8_t> dest, VolumeFilter filter,
                            bool end_marker, size_t* written, CodecProgress* progress);

// Encodes the `size` bytes that `input` gives as a container, handing it to `output` in pieces, byte for
// byte what EncodeContainer makes of the same bytes (no end marker): the header first, then the stream,
// the x86 conversion (filter kX86) done as the bytes pass. Memory is the coder's own and a piece of
// kEncodePiece bytes, whatever `size` is. `*converted` (optional) gets the number of calls and jumps
// the conversion rewrote, or would have rewritten had the filter been kX86: how much x86 code the
// bytes hold. kDataError when the input failed or gave other than `size` bytes, kOutputShort when the
// output refused, kStopped when `progress` stopped it, kOutOfMemory.
inline constexpr size_t kEncodePiece = size_t{1} << 16;
CodecStatus EncodeContainerStream(EncoderInput& input, uint64_t size, EncoderOutput& output, VolumeFilter filter,
                                  uint64_t* converted, CodecProgress* progress);

}  // namespace tlx::package
