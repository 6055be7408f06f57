#include "config/config_record.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

namespace tlx::config {

void ConfigRecord::Clear() {
  bytes_.fill(0);
  tail_.fill(0);
  for (auto& text : texts_) text.clear();
}

void ConfigRecord::Check(std::size_t offset, std::size_t width) const {
  if (offset > bytes_.size() || width > bytes_.size() - offset)
    throw std::out_of_range("ConfigRecord: offset " + std::to_string(offset) + " width " +
                            std::to_string(width) + " is outside the record");
}

std::size_t ConfigRecord::NsiSlot(std::size_t base, int index) {
  if (index != 0 && index != 1)
    throw std::out_of_range("ConfigRecord: reference-data slot " + std::to_string(index));
  return base + 4 * static_cast<std::size_t>(index);
}

uint8_t ConfigRecord::U8(std::size_t offset) const {
  Check(offset, 1);
  return bytes_[offset];
}

void ConfigRecord::SetU8(std::size_t offset, uint8_t value) {
  Check(offset, 1);
  bytes_[offset] = value;
}

uint32_t ConfigRecord::U32(std::size_t offset) const {
  Check(offset, 4);
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | bytes_[offset + i];
  return v;
}

void ConfigRecord::SetU32(std::size_t offset, uint32_t value) {
  Check(offset, 4);
  for (int i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

double ConfigRecord::F64(std::size_t offset) const {
  Check(offset, 8);
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | bytes_[offset + i];
  return std::bit_cast<double>(v);
}

void ConfigRecord::SetF64(std::size_t offset, double value) {
  Check(offset, 8);
  const auto v = std::bit_cast<uint64_t>(value);
  for (int i = 0; i < 8; ++i) bytes_[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::string ConfigRecord::VersionText() const {
  const auto begin = bytes_.begin() + cfg::kVersionText;
  const auto end = std::find(begin, begin + cfg::kVersionTextSize, uint8_t{0});
  return std::string(begin, end);
}

ConfigRecord& Config() {
  static ConfigRecord record;
  return record;
}

}  // namespace tlx::config
