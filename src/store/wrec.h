// One record of a record file in memory: type, link, length and a data buffer owned by the record.
#pragma once
#include <cstdint>
#include <memory>
#include <string_view>

#include "store/record_format.h"

namespace tlx::store {

class WRec {
 public:
  // A record with type 0, link -1, length 0 and a buffer of `capacity` bytes.
  explicit WRec(uint32_t capacity = MaxRecordLength)
      : capacity_(capacity), buffer_(std::make_unique<uint8_t[]>(capacity + 1)) {}
  WRec(WRec&&) noexcept = default;
  WRec& operator=(WRec&&) noexcept = default;
  WRec(const WRec&) = delete;
  WRec& operator=(const WRec&) = delete;

  uint8_t type = 0;       // bit 7 = deleted
  int32_t link = NoLink;  // address of the next record, -1 = follows physically
  uint16_t length = 0;    // number of data bytes in use

  // The buffer: capacity() bytes, plus one byte the readers may set to zero after the data.
  uint8_t* data() { return buffer_.get(); }
  const uint8_t* data() const { return buffer_.get(); }
  uint32_t capacity() const { return capacity_; }
  // The data in use.
  std::string_view bytes() const {
    return std::string_view(reinterpret_cast<const char*>(buffer_.get()), length);
  }
  // Sets type and data (at most capacity() bytes, else std::length_error); link becomes -1.
  void Assign(uint8_t new_type, std::string_view data_bytes);

 private:
  uint32_t capacity_;
  std::unique_ptr<uint8_t[]> buffer_;
};

}  // namespace tlx::store
