#include "store/scramble.h"

namespace tlx::store {

uint16_t HeaderKey(uint32_t p) { return static_cast<uint16_t>((p & 0xFFFFu) + p * kScrambleC1); }

uint16_t DirectoryKey(uint32_t p) { return static_cast<uint16_t>((p & 0xFFFFu) + p * kScrambleC2); }

uint16_t RecordKey(uint32_t address, uint32_t p) { return static_cast<uint16_t>(address >> (p % 32)); }

void XorScramble(uint8_t* data, std::size_t size, uint16_t key) {
  const uint8_t low = static_cast<uint8_t>(key);
  const uint8_t high = static_cast<uint8_t>(key >> 8);
  for (std::size_t i = 0; i < size; ++i) data[i] ^= (i % 2 == 0) ? low : high;
}

}  // namespace tlx::store
