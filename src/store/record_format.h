// The on-disk pieces shared by every record file: the 7-byte record head, the end marker, the
// limits, and little-endian integer access. Layouts are documented in docs/formats.md.
#pragma once
#include <array>
#include <cstdint>
#include <cstring>

namespace tlx::store {

// Largest number of data bytes in one record.
inline constexpr uint16_t MaxRecordLength = 20000;
// Link value meaning "the next record follows physically".
inline constexpr int32_t NoLink = -1;
// Length of a logical file that holds only its end marker.
inline constexpr uint32_t EmptyLogicalSize = 8;
// Type, link and length in front of every record's data.
inline constexpr uint32_t kRecordHeadSize = 7;
// Type bit of a deleted record; types 0..127 belong to the caller.
inline constexpr uint8_t kDeletedBit = 0x80;
// Field packing fills records up to this many bytes.
inline constexpr uint32_t kFieldPackLimit = 19999;
// Header of a compound file: end address and logical-file count; each directory entry: start, length.
inline constexpr uint32_t kCompoundHeaderSize = 8;
inline constexpr uint32_t kDirectoryEntrySize = 8;

// The record that ends every chain: type 0, link -1, length 1, data "@".
inline constexpr std::array<uint8_t, 8> kEndMarker = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x40};
inline constexpr uint8_t kEndMarkerByte = '@';

inline uint32_t GetU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline void PutU32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}
inline void PutU16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

// The decoded 7-byte head of a record.
struct RecordHead {
  uint8_t type = 0;
  int32_t link = NoLink;
  uint16_t length = 0;

  bool deleted() const { return (type & kDeletedBit) != 0; }
};

inline RecordHead DecodeHead(const uint8_t* p) {
  return RecordHead{p[0], static_cast<int32_t>(GetU32(p + 1)), GetU16(p + 5)};
}
inline void EncodeHead(const RecordHead& head, uint8_t* p) {
  p[0] = head.type;
  PutU32(p + 1, static_cast<uint32_t>(head.link));
  PutU16(p + 5, head.length);
}

// True for a live record that ends its chain (length 1, data "@").
inline bool IsEndMarker(const RecordHead& head, const uint8_t* data) {
  return !head.deleted() && head.length == 1 && data[0] == kEndMarkerByte;
}

}  // namespace tlx::store
