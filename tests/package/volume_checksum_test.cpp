// The checksum family: worked values, the 7- and 8-byte strides, and pieces against the whole.
#include "package/volume_checksum.h"
#include "store/word_checksum.h"

#include <gtest/gtest.h>

#include <random>

#include "sample_data.h"

namespace tlx::package {
namespace {

using test::Bytes;

// The volume checksum exactly as defined, one pass after the other.
uint64_t Reference(const Bytes& data) {
  auto le = [&](size_t at, size_t count) {
    uint64_t v = 0;
    for (size_t i = count; i-- > 0;) v = v << 8 | data[at + i];
    return v;
  };
  const size_t n = data.size();
  uint64_t sum = 0;
  for (size_t i = 0; i < n / 8; ++i) sum += le(8 * i, 8);
  for (size_t i = 0; i < n / 7; ++i) sum += le(7 * i, 7);
  return sum + le(n - n % 7, n % 7);
}

std::pair<uint32_t, uint32_t> Fresh(const Bytes& data) {
  uint32_t lo = 0, hi = 0;
  VolumeChecksum(data.size(), data.data(), &lo, &hi);
  return {lo, hi};
}

TEST(VolumeChecksum, WorkedValues) {
  Bytes sixteen(16);
  for (int i = 0; i < 16; ++i) sixteen[i] = static_cast<uint8_t>(i);
  const struct {
    Bytes data;
    uint32_t lo, hi;
  } cases[] = {
      {test::AsBytes("abc"), 0x00636261, 0},
      {Bytes(8, 0xFF), 0x000000FD, 0x01000000},
      {sixteen, 0x1B17221D, 0x1627231F},
      {{}, 0, 0},                                                       // empty volume
      {{1, 2, 3, 4, 5, 6, 7}, 0x04030201, 0x00070605},                  // one 7-byte group, no 8-byte one
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Fresh(c.data), std::make_pair(c.lo, c.hi)) << c.data.size() << " bytes";
  }
}

TEST(VolumeChecksum, AddsIntoTheRunningPairWithCarry) {
  uint32_t lo = 0xFFFFFFFF, hi = 7;
  const uint8_t one = 1;
  VolumeChecksum(1, &one, &lo, &hi);
  EXPECT_EQ(lo, 0u);
  EXPECT_EQ(hi, 8u);
}

TEST(VolumeChecksum, PiecesGiveTheWholeAroundEveryEdge) {
  std::mt19937 random(11);
  // Sizes around the 56-byte period of the strides and around the 1 MiB read block.
  std::vector<size_t> sizes = {1, 6, 7, 8, 55, 56, 57, 111, 112, 113, 1000};
  for (size_t edge : {size_t{1} << 20, size_t{3} << 20}) {
    for (size_t delta : {0, 1, 7, 8, 55, 56}) sizes.insert(sizes.end(), {edge - delta, edge + delta});
  }
  for (size_t size : sizes) {
    const Bytes data = test::NoiseSample(size, static_cast<uint32_t>(size));
    const uint64_t expected = Reference(data);
    const auto whole = Fresh(data);
    EXPECT_EQ((uint64_t{whole.second} << 32 | whole.first), expected) << size;
    for (int round = 0; round < 3; ++round) {
      VolumeChecksumStream stream;
      size_t at = 0;
      while (at < size) {
        const size_t piece = std::min<size_t>(size - at, round == 0 ? 1 + random() % 60 : 1 + random() % 300000);
        stream.Update(data.data() + at, piece);
        at += piece;
      }
      uint32_t lo = 0, hi = 0;
      stream.AddTo(&lo, &hi);
      EXPECT_EQ(std::make_pair(lo, hi), whole) << size << " round " << round;
    }
  }
}

TEST(WordChecksum, WordsThenHalfWordThenByteWithCarries) {
  const struct {
    Bytes data;
    uint32_t lo0, hi0, lo, hi;
  } cases[] = {
      {{}, 5, 6, 5, 6},
      {{0x01, 0x02, 0x03}, 0, 0, 0x0201 + 0x03, 0},  // a 16-bit word, then a byte
      {{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07}, 0, 0, 0x04030201 + 0x0605 + 0x07, 0},
      {Bytes(8, 0xFF), 0, 0, 0xFFFFFFFE, 1},               // one carry out of bit 31
      {Bytes(12, 0xFF), 0, 0, 0xFFFFFFFD, 2},
      {{0x01, 0x00, 0x00, 0x00}, 0xFFFFFFFF, 3, 0, 3},     // lo wraps without touching hi
  };
  for (const auto& c : cases) {
    store::WordSum total{c.lo0, c.hi0};
    store::WordChecksum(c.data.data(), c.data.size(), total);
    EXPECT_EQ(total.sum, c.lo) << c.data.size();
    EXPECT_EQ(total.carries, c.hi) << c.data.size();
  }
}

}  // namespace
}  // namespace tlx::package
