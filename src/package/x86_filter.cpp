// x86 branch conversion.
//
// Code compresses better when the same call target is written the same way at every call site: a call
// stores target - (address of the next instruction), which differs from site to site, while the
// absolute target does not. The encoder therefore rewrites the 32-bit displacement after every E8 (call)
// and E9 (jmp) byte into an absolute address, the decoder rewrites it back. Only displacements whose top
// byte is 00 or FF are converted (near targets, forwards or backwards); after conversion the top byte is
// again 00 or FF (bit 24 copied into it), so the decoder recognises the same places.
//
// The scanner does not know where instructions begin, so an E8/E9 byte may sit inside another
// instruction. It remembers which of the three bytes before a candidate were themselves unconverted
// E8/E9 bytes (`recent`, bit k for the byte k + 1 places back) and, when one was, leaves candidates alone
// whose operand looks like part of that earlier one, and refines the converted value so that the
// conversion stays reversible byte for byte. This is the classic BCJ x86 rule that LZMA-based formats use.
#include "package/x86_filter.h"

namespace tlx::package {
namespace {

bool IsNearTopByte(uint8_t b) { return b == 0x00 || b == 0xFF; }

// For a `recent` mask: how far back (1..3) its farthest opcode byte lies; 0 for none.
constexpr uint8_t kFarthest[8] = {0, 1, 2, 2, 3, 3, 3, 3};
// Masks with at most one earlier opcode byte; with more the candidate is never converted.
constexpr bool kAtMostOne[8] = {true, true, true, false, true, false, false, false};

uint32_t Load32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

void Store32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

// The scan over data[0, size - 4), data[0] being at `start` in the stream; `recent` and `last` (a
// stream position) carry over from the scan of the bytes before; `converted` (optional) counts the
// candidates converted. Returns where the scan stopped: the first position, at least size - 4, that
// no candidate covers.
size_t ConvertRun(uint8_t* data, size_t size, uint64_t start, bool encoding, uint32_t* recent_io, uint64_t* last_io,
                  uint64_t* converted = nullptr) {
  if (size < 5) return 0;
  const size_t end = size - 4;  // a candidate needs its four operand bytes inside the buffer
  uint32_t recent = *recent_io;
  uint64_t last = *last_io;     // the previous candidate's position (meaningful while recent != 0)
  size_t pos = 0;
  while (pos < end) {
    uint8_t* op = data + pos;
    if ((*op & 0xFE) != 0xE8) {
      ++pos;
      continue;
    }
    if (recent != 0) {  // age the mask from the previous candidate to this one
      const uint64_t distance = start + pos - last;
      recent = distance > 3 ? 0 : (recent << (distance - 1)) & 7;
    }
    last = start + pos;
    bool convert = IsNearTopByte(op[4]);
    if (recent != 0 && (!kAtMostOne[recent] || IsNearTopByte(op[4 - kFarthest[recent]]))) convert = false;
    if (!convert) {
      recent = ((recent << 1) & 7) | 1;
      ++pos;
      continue;
    }

    const uint32_t next_instruction = static_cast<uint32_t>(start + pos + 5);
    uint32_t value = Load32(op + 1);
    uint32_t result;
    for (;;) {
      result = encoding ? value + next_instruction : value - next_instruction;
      if (recent == 0) break;
      const unsigned shift = 8u * kFarthest[recent];
      if (!IsNearTopByte(static_cast<uint8_t>(result >> (24 - shift)))) break;
      value = result ^ ((uint32_t{1} << (32 - shift)) - 1);
    }
    result = (result & 0x00FFFFFFu) | ((result & 0x01000000u) != 0 ? 0xFF000000u : 0u);
    Store32(op + 1, result);
    if (converted != nullptr) ++*converted;
    pos += 5;
  }
  *recent_io = recent;
  *last_io = last;
  return pos;
}

}  // namespace

void X86Convert(uint8_t* data, size_t size, uint32_t start, bool encoding) {
  uint32_t recent = 0;
  uint64_t last = 0;
  ConvertRun(data, size, start, encoding, &recent, &last);
}

size_t X86StreamDecoder::Convert(uint8_t* data, size_t size) {
  const size_t done = ConvertRun(data, size, position_, false, &recent_, &last_);
  position_ += done;
  return done;
}

size_t X86StreamEncoder::Convert(uint8_t* data, size_t size) {
  const size_t done = ConvertRun(data, size, position_, true, &recent_, &last_, &converted_);
  position_ += done;
  return done;
}

}  // namespace tlx::package
