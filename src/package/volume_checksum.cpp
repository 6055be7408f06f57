#include "package/volume_checksum.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tlx::package {
namespace {

// Little-endian loads; memcpy compiles to one unaligned load.
uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  return v;
}

// `count` (0..8) bytes as one little-endian integer.
uint64_t LoadPartial(const uint8_t* p, size_t count) {
  uint64_t v = 0;
  for (size_t i = count; i-- > 0;) v = v << 8 | p[i];
  return v;
}

constexpr uint64_t kLow56 = (uint64_t{1} << 56) - 1;

// The sum over whole 56-byte periods: seven 8-byte groups and eight 7-byte groups each.
uint64_t SumPeriods(const uint8_t* p, size_t periods) {
  uint64_t eights = 0;
  uint64_t sevens = 0;
  for (; periods != 0; --periods, p += 56) {
    eights += Load64(p) + Load64(p + 8) + Load64(p + 16) + Load64(p + 24) + Load64(p + 32) + Load64(p + 40) +
              Load64(p + 48);
    // Each 7-byte group loaded as 8 bytes with the top byte masked off; the last one ends the period,
    // so it is loaded from one byte earlier and shifted instead, never reading past the period.
    sevens += (Load64(p) & kLow56) + (Load64(p + 7) & kLow56) + (Load64(p + 14) & kLow56) +
              (Load64(p + 21) & kLow56) + (Load64(p + 28) & kLow56) + (Load64(p + 35) & kLow56) +
              (Load64(p + 42) & kLow56) + (Load64(p + 48) >> 8);
  }
  return eights + sevens;
}

// The checksum of fewer than 56 bytes that start at a period boundary: whole 8-byte groups, whole 7-byte
// groups and the tail after the last 7-byte group.
uint64_t SumRest(const uint8_t* p, size_t size) {
  uint64_t sum = 0;
  for (size_t i = 0; i + 8 <= size; i += 8) sum += Load64(p + i);
  size_t i = 0;
  for (; i + 7 <= size; i += 7) sum += LoadPartial(p + i, 7);
  return sum + LoadPartial(p + i, size - i);
}

void AddToPair(uint64_t sum, uint32_t* lo, uint32_t* hi) {
  const uint64_t pair = (uint64_t{*hi} << 32 | *lo) + sum;
  *lo = static_cast<uint32_t>(pair);
  *hi = static_cast<uint32_t>(pair >> 32);
}

}  // namespace

void VolumeChecksumStream::Update(const uint8_t* data, size_t size) {
  if (size == 0) return;  // an empty file has no data pointer at all
  if (pending_size_ != 0) {
    const size_t take = std::min(size, kPeriod - pending_size_);
    std::memcpy(pending_ + pending_size_, data, take);
    pending_size_ += take;
    data += take;
    size -= take;
    if (pending_size_ < kPeriod) return;
    sum_ += SumPeriods(pending_, 1);
    pending_size_ = 0;
  }
  const size_t periods = size / kPeriod;
  sum_ += SumPeriods(data, periods);
  pending_size_ = size - periods * kPeriod;
  std::memcpy(pending_, data + periods * kPeriod, pending_size_);
}

void VolumeChecksumStream::AddTo(uint32_t* lo, uint32_t* hi) const {
  AddToPair(sum_ + SumRest(pending_, pending_size_), lo, hi);
}

void VolumeChecksum(size_t size, const uint8_t* data, uint32_t* lo, uint32_t* hi) {
  VolumeChecksumStream stream;
  stream.Update(data, size);
  stream.AddTo(lo, hi);
}

}  // namespace tlx::package
