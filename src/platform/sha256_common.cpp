#include "platform/sha256.h"

namespace tlx::platform {

std::optional<Sha256Digest> Sha256Of(std::span<const uint8_t> bytes) {
  Sha256 hash;
  hash.Update(bytes);
  return hash.Finish();
}

std::string DigestHex(const Sha256Digest& digest) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  text.reserve(2 * digest.size());
  for (uint8_t b : digest) {
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}

}  // namespace tlx::platform
