#include "sample_data.h"

#include <random>
#include <string_view>

namespace tlx::test {

Bytes TextSample(size_t size, uint32_t seed) {
  static constexpr std::string_view kWords[] = {
      "Смета ", "кошторис ", "ресурс ", "Бетон М200 ", "арматура ", "0,125 ", "м3 ", "1250.00\r\n",
      "Кладка стен ", "кирпич ", "розчин ", "транспорт ", "Итого по разделу ", "ПДВ 20% "};
  std::mt19937 random(seed);
  Bytes out;
  out.reserve(size + 32);
  while (out.size() < size) {
    const std::string_view word = kWords[random() % std::size(kWords)];
    out.insert(out.end(), word.begin(), word.end());
  }
  out.resize(size);
  return out;
}

Bytes NoiseSample(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  Bytes out(size);
  for (auto& b : out) b = static_cast<uint8_t>(random());
  return out;
}

Bytes BranchSample(size_t size, uint32_t seed) {
  static constexpr uint8_t kFavoured[] = {0xE8, 0xE9, 0x00, 0xFF};
  std::mt19937 random(seed);
  Bytes out(size);
  for (auto& b : out) {
    const uint32_t r = random();
    b = (r & 7) < 5 ? kFavoured[(r >> 3) & 3] : static_cast<uint8_t>(r >> 8);
  }
  return out;
}

}  // namespace tlx::test
