// Raw LZMA coding of the distribution volumes. One implementation (the LZMA SDK's C coder, built from
// source) on every platform, so a volume made on Linux is byte-identical to one made on Windows.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "package/codec_status.h"

namespace tlx::package {

inline constexpr size_t kLzmaPropsSize = 5;          // lc/lp/pb byte, then the dictionary size (LE32)
inline constexpr uint32_t kVolumeDictionary = 0x800000;
inline constexpr int kVolumeLevel = 9;

// Progress of one coding run. in_done/out_done are the bytes consumed and produced so far. The encoder
// stops with kStopped when Report returns false; the decoder ignores the result.
class CodecProgress {
 public:
  virtual ~CodecProgress() = default;
  virtual bool Report(uint64_t in_done, uint64_t out_done) = 0;
};

// Decodes a raw LZMA stream with the given properties into exactly dest.size() bytes, writing nothing
// outside dest. The stream may carry an end marker right after its last byte or none; bytes after the
// stream are left unread and `*consumed` (optional) says how many were used. Fails with kUnsupported
// (properties), kInputShort (the input ends first) or kDataError (corrupt, an end marker before
// dest.size() bytes, or a stream that goes on past them). `progress` (optional) hears after every pass.
CodecStatus LzmaDecode(std::span<const uint8_t, kLzmaPropsSize> props, std::span<const uint8_t> src,
                       std::span<uint8_t> dest, size_t* consumed, CodecProgress* progress);

// Encodes src at level 9 with an 8 MiB dictionary into dest, with or without an end marker. `*written`
// gets the stream's size, `props` its properties. kOutputShort when dest is too small, kStopped when
// `progress` (optional) asked to stop, kOutOfMemory.
CodecStatus LzmaEncode(std::span<const uint8_t> src, std::span<uint8_t> dest, bool end_marker,
                       std::span<uint8_t, kLzmaPropsSize> props, size_t* written, CodecProgress* progress);

}  // namespace tlx::package
