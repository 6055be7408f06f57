// The volume checksum of the distribution (two strides, 8 and 7 bytes), added into a caller's running
// pair (lo, hi). Its sibling for the configuration records, WordChecksum, lives in store/word_checksum.h.
#pragma once
#include <cstddef>
#include <cstdint>

namespace tlx::package {

// Adds the volume checksum of `size` bytes at `data` into (lo, hi), a 64-bit value split in halves:
// the sum, modulo 2^64, of every whole 8-byte group read as LE64, every whole 7-byte group read as LE56
// (both counted from the first byte) and the last size mod 7 bytes read as one LE integer. A fresh
// checksum starts from (0, 0). The checksum of a whole is not the sum of its pieces' checksums: feed
// a file in pieces through VolumeChecksumStream.
void VolumeChecksum(size_t size, const uint8_t* data, uint32_t* lo, uint32_t* hi);

// The volume checksum of a byte stream that arrives in pieces of any size; the result is exactly that
// of VolumeChecksum over the concatenation.
class VolumeChecksumStream {
 public:
  void Update(const uint8_t* data, size_t size);
  // Adds the checksum of everything fed so far into (lo, hi).
  void AddTo(uint32_t* lo, uint32_t* hi) const;

 private:
  static constexpr size_t kPeriod = 56;  // both strides meet again every 56 bytes
  uint64_t sum_ = 0;                     // of the whole periods so far
  uint8_t pending_[kPeriod] = {};        // the bytes after the last whole period
  size_t pending_size_ = 0;
};

}  // namespace tlx::package
