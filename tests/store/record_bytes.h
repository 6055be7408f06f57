// Hand-made record files for tests: records and compound files assembled byte by byte, so that a
// test can state exactly the damage it wants (a wrong link, a lying length, a looping chain).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/wfile.h"

namespace tlx::test {

// One record: 7-byte head (type, link, length) and data. `length` -1 takes the data's size.
inline std::string RecordBytes(uint8_t type, int32_t link, std::string_view data, int32_t length = -1) {
  const uint32_t n = length < 0 ? static_cast<uint32_t>(data.size()) : static_cast<uint32_t>(length);
  std::string out;
  out += static_cast<char>(type);
  for (int i = 0; i < 4; ++i) out += static_cast<char>(static_cast<uint32_t>(link) >> (8 * i));
  out += static_cast<char>(n & 0xFF);
  out += static_cast<char>((n >> 8) & 0xFF);
  out += data;
  return out;
}

inline std::string EndMarkerBytes() { return RecordBytes(0, -1, "@"); }

inline std::string U32Bytes(uint32_t value) {
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i));
  return out;
}

// A compound file: header {end, count}, the given directory entries, then `data` (the data area).
// `end` 0 means: the end of the data.
struct Entry {
  uint32_t start;
  uint32_t length;
};
inline std::string CompoundBytes(const std::vector<Entry>& entries, std::string_view data, uint32_t end = 0,
                                 int64_t count = -1) {
  const uint32_t n = count < 0 ? static_cast<uint32_t>(entries.size()) : static_cast<uint32_t>(count);
  const uint32_t data_start = 8 + 8 * static_cast<uint32_t>(entries.size());
  std::string out = U32Bytes(end != 0 ? end : data_start + static_cast<uint32_t>(data.size())) + U32Bytes(n);
  for (const Entry& e : entries) out += U32Bytes(e.start) + U32Bytes(e.length);
  out += data;
  return out;
}

// Address of the data area of a compound file with `count` logical files.
inline uint32_t DataStart(uint32_t count) { return 8 + 8 * count; }

// The data of the live records of logical file n, in chain order.
inline std::vector<std::string> LiveRecords(store::WFile& file, uint32_t n) {
  std::vector<std::string> out;
  file.OpenLogical(n);
  store::WRec rec;
  while (file.ReadRecord(rec)) out.emplace_back(rec.bytes());
  return out;
}

}  // namespace tlx::test
