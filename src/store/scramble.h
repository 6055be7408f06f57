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
// Added to the volume group (0..2) to give the install buffer's scrambling parameter: P = 29, 30, 31,
// so a record's key (its address >> P) is 0 in the first 512 MiB, 1 GiB and 2 GiB of the buffer. A
// nonzero record key XORs only the bytes at even offsets of a record, so a string repeated at an
// offset of the other parity no longer looks equal to the volumes' LZMA coder; with key 0 the records
// are the plain bytes and pack as well as the payload itself. The header and directory stay scrambled.
inline constexpr uint32_t ScrambleOffset = 29;

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
