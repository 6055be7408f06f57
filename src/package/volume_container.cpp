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

}  // namespace

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
