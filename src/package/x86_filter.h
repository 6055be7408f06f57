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

}  // namespace tlx::package
