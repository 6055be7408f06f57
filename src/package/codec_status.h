// Status values of the LZMA coder and of the volume container. The numbers are the LZMA SDK's result codes
// where they mean the same thing; never renumber one.
#pragma once
#include <cstdint>

namespace tlx::package {

enum class CodecStatus : uint8_t {
  kOk = 0,
  kDataError = 1,         // corrupt stream, end marker too early, or data beyond the promised size
  kOutOfMemory = 2,
  kUnsupported = 4,       // properties out of range, or a container filter byte other than 0 and 1
  kInputShort = 6,        // the input ended before the stream did (or before the 14-byte header)
  kOutputShort = 7,       // the output is too small for the stream (or for the header)
  kTooLarge = 8,          // an unpacked size that does not fit the address space
  kStopped = 10,          // the progress hook asked to stop
};

}  // namespace tlx::package
