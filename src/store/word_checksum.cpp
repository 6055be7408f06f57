#include "store/word_checksum.h"

namespace tlx::store {

void WordChecksum(const uint8_t* data, std::size_t size, WordSum& total) {
  uint32_t accumulator = 0;
  uint32_t carries = 0;
  std::size_t at = 0;
  while (at < size) {
    const std::size_t remaining = size - at;
    const std::size_t width = remaining >= 4 ? 4 : remaining >= 2 ? 2 : 1;
    uint32_t word = 0;
    for (std::size_t i = width; i-- > 0;) word = (word << 8) | data[at + i];
    const uint32_t before = accumulator;
    accumulator += word;
    if (accumulator < before) ++carries;
    at += width;
  }
  total.sum += accumulator;
  total.carries += carries;
}

}  // namespace tlx::store
