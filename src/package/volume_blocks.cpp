#include "package/volume_blocks.h"

#include <algorithm>

#include "messages/zerror.h"
#include "store/record_format.h"
#include "store/sfile.h"
#include "store/wrec.h"

namespace tlx::package {

void AppendVolumeBlocks(store::SFile& unpacked, store::SFile& buffer, store::WRec& piece,
                        const std::string& source) {
  if (piece.capacity() < kVolumeBlockSize) {
    messages::RaiseMsg("Буфер блока тома меньше блока", messages::kMsgFinalText);
  }
  BlockSink sink(buffer, source);
  while (const uint32_t size = unpacked.Read(piece.data(), kVolumeBlockSize)) sink.Write({piece.data(), size});
  sink.Finish();
}

bool BlockSink::Write(std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    if (position_ == 0) {
      low_ = bytes[0];
      position_ = 1;
      bytes = bytes.subspan(1);
      continue;
    }
    if (position_ == 1) {
      length_ = static_cast<uint16_t>(low_ | bytes[0] << 8);
      if (length_ > kMaxBlockPayload) Raise("короче своей длины " + std::to_string(length_));
      position_ = 2;
      bytes = bytes.subspan(1);
      continue;
    }
    const uint32_t payload_end = 2u + length_;
    uint32_t take;
    if (position_ < payload_end) {
      take = static_cast<uint32_t>(std::min<size_t>(bytes.size(), payload_end - position_));
      buffer_.Write(bytes.data(), take);
    } else {
      take = static_cast<uint32_t>(std::min<size_t>(bytes.size(), kVolumeBlockSize - position_));
    }
    position_ += take;
    bytes = bytes.subspan(take);
    if (position_ == kVolumeBlockSize) {
      position_ = 0;
      ++block_;
    }
  }
  return true;
}

void BlockSink::Finish() const {
  if (position_ == 1) Raise("обрезан в поле длины");
  if (position_ >= 2 && position_ < 2u + length_) Raise("короче своей длины " + std::to_string(length_));
}

void BlockSink::Raise(const std::string& what) const {
  messages::RaiseMsg("Файл " + source_ + " - блок " + std::to_string(block_) + " " + what, messages::kMsgFinalText);
}

std::vector<std::string> VolumeImages(std::string_view payload, size_t blocks_per_volume) {
  if (blocks_per_volume == 0) blocks_per_volume = 1;
  std::vector<std::string> images;
  do {
    std::string image;
    for (size_t block = 0; block < blocks_per_volume && (block == 0 || !payload.empty()); ++block) {
      const std::string_view part = payload.substr(0, kMaxBlockPayload);
      payload.remove_prefix(part.size());
      image += static_cast<char>(part.size() & 0xFF);
      image += static_cast<char>(part.size() >> 8);
      image += part;  // only the last block of the payload can be short
    }
    images.push_back(std::move(image));
  } while (!payload.empty());
  return images;
}

}  // namespace tlx::package
