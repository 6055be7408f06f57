// Raw LZMA coding of the distribution volumes. One implementation (the LZMA SDK's C coder, built from
// source) on every platform, so a volume made on Linux is byte-identical to one made on Windows.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
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

// Where a streaming encoder takes the bytes to encode.
class EncoderInput {
 public:
  virtual ~EncoderInput() = default;
  // Reads up to `size` (> 0) next bytes into `data`; `*done` is 0 at the end. False on a read error.
  virtual bool Read(uint8_t* data, size_t size, size_t* done) = 0;
};

// Where a streaming encoder puts the stream, in order.
class EncoderOutput {
 public:
  virtual ~EncoderOutput() = default;
  // False stops the encoding.
  virtual bool Write(std::span<const uint8_t> bytes) = 0;
};

// The properties LzmaEncode and LzmaEncodeStream give their streams (level 9, 8 MiB dictionary).
void VolumeLzmaProps(std::span<uint8_t, kLzmaPropsSize> props);

// Encodes everything `input` gives as LzmaEncode would encode it whole, byte for byte the same stream,
// handing it to `output` in pieces: memory is the coder's own (dictionary and match finder, about
// 100 MiB), whatever the input's size. kDataError when the input failed, kOutputShort when the
// output refused, kStopped when `progress` (optional) stopped it, kOutOfMemory.
CodecStatus LzmaEncodeStream(EncoderInput& input, EncoderOutput& output, bool end_marker, CodecProgress* progress);

// The largest dictionary a stream decoder allocates. Volumes are made with 8 MiB; a header asking for
// more than this (a damaged or hostile one) is refused rather than believed, so that what a decoder
// holds never follows a number read from a file.
inline constexpr uint32_t kMaxDecodeDictionary = 64u << 20;

// An LZMA stream decoded piece by piece into a dictionary of its own: memory is the dictionary
// (at most the stream's promised size, at most kMaxDecodeDictionary) whatever the stream's size.
// Stops exactly at the promised size and then requires the stream to end there, as LzmaDecode does.
class LzmaStreamDecoder {
 public:
  LzmaStreamDecoder();
  ~LzmaStreamDecoder();
  LzmaStreamDecoder(const LzmaStreamDecoder&) = delete;
  LzmaStreamDecoder& operator=(const LzmaStreamDecoder&) = delete;

  // Starts a stream of `unpacked_size` bytes. kUnsupported for bad properties or a dictionary above
  // kMaxDecodeDictionary that the stream could use; kOutOfMemory.
  CodecStatus Start(std::span<const uint8_t, kLzmaPropsSize> props, uint64_t unpacked_size);

  // Decodes from `src` (`src_ends`: nothing follows it) at most `max_out` bytes. `*consumed` gets the
  // input used; `*out` the bytes produced, which stay valid until the next call. kOk while the stream
  // goes on or has ended well (see finished()); kDataError, kInputShort (the input ended first).
  // A call that neither consumes nor produces while !finished() needs more input than `src` held.
  CodecStatus Decode(std::span<const uint8_t> src, bool src_ends, size_t max_out, size_t* consumed,
                     std::span<const uint8_t>* out);

  // Every promised byte is out and the stream ended right there.
  bool finished() const { return finished_; }
  uint64_t produced() const { return produced_; }

 private:
  struct State;
  std::unique_ptr<State> state_;
  uint64_t remaining_ = 0;
  uint64_t produced_ = 0;
  bool finished_ = false;
};

}  // namespace tlx::package
