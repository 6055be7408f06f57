// The x86 branch conversion (BCJ) that volumes may carry under their LZMA stream.
#pragma once
#include <cstddef>
#include <cstdint>

namespace tlx::package {

// Converts the relative targets of x86 near calls and jumps (E8/E9 followed by a 32-bit displacement
// whose top byte is 00 or FF) in `data` to absolute ones (`encoding`) or back, in place, over the whole
// buffer in one run from a fresh state; `start` is the position of data[0] in the stream. The last four
// bytes are never touched as opcodes, so a buffer shorter than five bytes stays as it is.
void X86Convert(uint8_t* data, size_t size, uint32_t start, bool encoding);

// The decoding conversion of one stream that arrives in pieces, giving byte for byte what X86Convert
// gives on the whole stream. Convert converts what it can of `data` and returns how many of its
// leading bytes are final; the caller passes the others again, at the front of the next piece. When
// the stream ends, the bytes not final are final as they stand.
class X86StreamDecoder {
 public:
  size_t Convert(uint8_t* data, size_t size);

 private:
  uint64_t position_ = 0;  // of data[0] in the stream
  uint32_t recent_ = 0;
  uint64_t last_ = 0;
};

// The encoding conversion of one stream that arrives in pieces, as X86StreamDecoder decodes: byte for
// byte what X86Convert(..., 0, true) gives on the whole stream, with the same contract for the bytes
// that are not final yet. converted() counts the calls and jumps rewritten so far (a measure of how
// much x86 code the stream holds).
class X86StreamEncoder {
 public:
  size_t Convert(uint8_t* data, size_t size);
  uint64_t converted() const { return converted_; }

 private:
  uint64_t position_ = 0;  // of data[0] in the stream
  uint32_t recent_ = 0;
  uint64_t last_ = 0;
  uint64_t converted_ = 0;
};

}  // namespace tlx::package
