#include "package/volume_container.h"

#include <algorithm>
#include <vector>

#include "package/x86_filter.h"

namespace tlx::package {
namespace {

uint64_t Load64(const uint8_t* p) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | p[i];
  return value;
}

void Store64(uint8_t* p, uint64_t value) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

// The bytes of an input counted, converted for the x86 filter when asked, or only scanned for what the
// conversion would do.
class ConvertingInput final : public EncoderInput {
 public:
  ConvertingInput(EncoderInput& input, bool convert) : input_(input), convert_(convert), piece_(kEncodePiece) {}

  bool Read(uint8_t* data, size_t size, size_t* done) override {
    *done = 0;
    while (next_ == final_) {
      if (ended_) return true;
      if (!Refill()) return false;
    }
    *done = std::min(size, final_ - next_);
    std::copy_n(piece_.data() + next_, *done, data);
    next_ += *done;
    return true;
  }

  uint64_t total() const { return total_; }
  uint64_t converted() const { return converter_.converted(); }

 private:
  // Moves the bytes not final yet to the front, reads more behind them and converts what can be.
  bool Refill() {
    const size_t held = held_ - final_;
    std::copy(piece_.begin() + final_, piece_.begin() + held_, piece_.begin());
    held_ = held;
    next_ = final_ = 0;
    size_t got = 0;
    if (!input_.Read(piece_.data() + held_, piece_.size() - held_, &got)) return false;
    total_ += got;
    held_ += got;
    if (got == 0) {  // the bytes not final are final as they stand
      ended_ = true;
      final_ = held_;
      return true;
    }
    if (convert_) {
      final_ = converter_.Convert(piece_.data(), held_);
    } else {
      // Scan a copy: the bytes go on as they are.
      scan_.assign(piece_.begin(), piece_.begin() + static_cast<std::ptrdiff_t>(held_));
      final_ = converter_.Convert(scan_.data(), scan_.size());
    }
    return true;
  }

  EncoderInput& input_;
  const bool convert_;
  X86StreamEncoder converter_;
  std::vector<uint8_t> piece_;
  std::vector<uint8_t> scan_;
  size_t held_ = 0;   // bytes in piece_
  size_t final_ = 0;  // of which final
  size_t next_ = 0;   // of which handed on
  uint64_t total_ = 0;
  bool ended_ = false;
};

}  // namespace

CodecStatus EncodeContainerStream(EncoderInput& input, uint64_t size, EncoderOutput& output, VolumeFilter filter,
                                  uint64_t* converted, CodecProgress* progress) {
  if (converted != nullptr) *converted = 0;
  uint8_t header[kContainerHeaderSize];
  header[0] = static_cast<uint8_t>(filter);
  VolumeLzmaProps(std::span<uint8_t, kLzmaPropsSize>(header + 1, kLzmaPropsSize));
  Store64(header + 1 + kLzmaPropsSize, size);
  if (!output.Write({header, sizeof header})) return CodecStatus::kOutputShort;
  ConvertingInput converting(input, filter == VolumeFilter::kX86);
  const CodecStatus status = LzmaEncodeStream(converting, output, false, progress);
  if (status != CodecStatus::kOk) return status;
  if (converting.total() != size) return CodecStatus::kDataError;
  if (converted != nullptr) *converted = converting.converted();
  return CodecStatus::kOk;
}

CodecStatus ReadContainerHeader(std::span<const uint8_t> container, ContainerHeader* header) {
  if (container.size() < kContainerHeaderSize) return CodecStatus::kInputShort;
  header->filter = container[0];
  std::copy_n(container.begin() + 1, kLzmaPropsSize, header->props.begin());
  header->unpacked_size = Load64(container.data() + 1 + kLzmaPropsSize);
  return CodecStatus::kOk;
}

CodecStatus DecodeContainer(std::span<const uint8_t> container, std::span<uint8_t> dest,
                            CodecProgress* progress) {
  ContainerHeader header;
  if (const CodecStatus status = ReadContainerHeader(container, &header); status != CodecStatus::kOk) {
    return status;
  }
  if (header.filter > static_cast<uint8_t>(VolumeFilter::kX86)) return CodecStatus::kUnsupported;
  if (header.unpacked_size != dest.size()) return CodecStatus::kOutputShort;
  const CodecStatus status =
      LzmaDecode(header.props, container.subspan(kContainerHeaderSize), dest, nullptr, progress);
  if (status != CodecStatus::kOk) return status;
  if (header.filter == static_cast<uint8_t>(VolumeFilter::kX86)) X86Convert(dest.data(), dest.size(), 0, false);
  return CodecStatus::kOk;
}

uint64_t PackCapacity(uint64_t input_size) { return input_size / 20 * 21 + 65536; }

CodecStatus EncodeContainer(std::span<const uint8_t> src, std::span<uint8_t> dest, VolumeFilter filter,
                            bool end_marker, size_t* written, CodecProgress* progress) {
  *written = 0;
  if (dest.size() < kContainerHeaderSize) return CodecStatus::kOutputShort;
  std::vector<uint8_t> converted;
  if (filter == VolumeFilter::kX86) {
    converted.assign(src.begin(), src.end());
    X86Convert(converted.data(), converted.size(), 0, true);
    src = converted;
  }
  size_t stream_size = 0;
  const CodecStatus status = LzmaEncode(src, dest.subspan(kContainerHeaderSize), end_marker,
                                        dest.subspan<1, kLzmaPropsSize>(), &stream_size, progress);
  if (status != CodecStatus::kOk) return status;
  dest[0] = static_cast<uint8_t>(filter);
  Store64(dest.data() + 1 + kLzmaPropsSize, src.size());
  *written = kContainerHeaderSize + stream_size;
  return CodecStatus::kOk;
}

}  // namespace tlx::package
