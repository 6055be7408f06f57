#include "store/wrec.h"

#include <cstring>
#include <stdexcept>

namespace tlx::store {

void WRec::Assign(uint8_t new_type, std::string_view data_bytes) {
  if (data_bytes.size() > capacity_ || data_bytes.size() > 0xFFFF) {
    throw std::length_error("WRec::Assign: data larger than the record buffer");
  }
  type = new_type;
  link = NoLink;
  length = static_cast<uint16_t>(data_bytes.size());
  if (!data_bytes.empty()) std::memcpy(buffer_.get(), data_bytes.data(), data_bytes.size());
}

}  // namespace tlx::store
