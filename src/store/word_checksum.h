// The word checksum the suite keeps of its reference-data files: a running pair of a word sum and
// the number of carries out of its top bit.
#pragma once
#include <cstddef>
#include <cstdint>

namespace tlx::store {

// A running word checksum: `sum` modulo 2^32 and `carries`, the count of overflows of the sum.
struct WordSum {
  uint32_t sum = 0;
  uint32_t carries = 0;
};

// Adds the word checksum of `size` bytes at `data` into `total`: the bytes are taken as little-endian
// 32-bit words while four remain, then a 16-bit word while two or three remain, then the last byte;
// each block starts its own accumulator, whose sum and carries are added into `total` at the end.
void WordChecksum(const uint8_t* data, std::size_t size, WordSum& total);

}  // namespace tlx::store
