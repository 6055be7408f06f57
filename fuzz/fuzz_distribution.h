// Fuzz support shared by the distribution fuzzers and their seed writer: the fixed volumes of the
// checksum-table fuzzer, the layout of a checksum table, and the failure check of every target.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "package/volume_checksum.h"

namespace tlx::fuzz {

// Aborts with `what` when `condition` is false: libFuzzer keeps the input as a crash.
inline void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
  }
}

// Volume numbers present in the checksum-table fuzzer's distribution folder; the others are missing.
inline constexpr int32_t kFuzzVolumes[] = {0, 1, 2, 3, 5, 8, 998, 999};

// Contents of fixed volume `number`: empty for 0, else a few bytes to a few hundred, none alike.
inline std::string FixedVolume(int32_t number) {
  std::string bytes;
  for (int32_t i = 0; i < number % 97 * 7; ++i) bytes += static_cast<char>(number * 31 + i * 7);
  return bytes;
}

inline void Put32(std::string* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) *out += static_cast<char>(value >> (8 * i));
}

// A checksum table: three (first, last) ranges, then one record per volume of the non-empty ranges
// in order, correct for the fixed volumes and zero for missing ones.
inline std::string ChecksumTable(const int32_t (&ranges)[3][2]) {
  std::string table;
  for (const auto& range : ranges) {
    Put32(&table, static_cast<uint32_t>(range[0]));
    Put32(&table, static_cast<uint32_t>(range[1]));
  }
  for (const auto& range : ranges) {
    for (int32_t n = range[0]; n <= range[1]; ++n) {
      uint32_t lo = 0;
      uint32_t hi = 0;
      for (int32_t present : kFuzzVolumes) {
        if (present != n) continue;
        const std::string bytes = FixedVolume(n);
        package::VolumeChecksum(bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()), &lo, &hi);
      }
      Put32(&table, lo);
      Put32(&table, hi);
    }
  }
  return table;
}

}  // namespace tlx::fuzz
