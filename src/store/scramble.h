// Scrambling of record files: stored bytes XORed with 16-bit keys derived from a parameter P (0 =
// plain). The setup program only reads scrambled files; the distribution builder writes them
// through CompoundFileBuilder. The keys are part of the format (docs/formats.md).
#pragma once
#include <cstddef>
#include <cstdint>

namespace tlx::store {

// Constants of the header and directory keys. Changing them breaks every scrambled file.
inline constexpr uint32_t kScrambleC1 = 0x3A5C96E1u;
inline constexpr uint32_t kScrambleC2 = 0x7B1D4F27u;
// Added to the volume group (0..2) to give the install buffer's scrambling parameter: P = 24, 25, 26,
// so a record's key (its address >> P) stays the same over 16, 32 and 64 MiB of the buffer. Equal
// bytes stored within one such span stay equal after scrambling, and the volumes' LZMA coder (8 MiB
// dictionary) finds them as it would in the plain files; the first 16 MiB of a buffer get key 0.
inline constexpr uint32_t ScrambleOffset = 24;

// Key of the 8-byte header: low 16 bits of P + P * C1.
uint16_t HeaderKey(uint32_t p);
// Key of the directory (count * 8 bytes): low 16 bits of P + P * C2.
uint16_t DirectoryKey(uint32_t p);
// Key of a record's head and data: low 16 bits of (address >> (P mod 32)).
uint16_t RecordKey(uint32_t address, uint32_t p);

// XORs `size` bytes with `key`: whole 4-byte words with key * 65537, then 2 bytes with the key, then
// an odd byte with its low byte; so byte i gets the low key byte when i is even, the high one when
// odd. Applying it twice restores the bytes.
void XorScramble(uint8_t* data, std::size_t size, uint16_t key);

}  // namespace tlx::store
