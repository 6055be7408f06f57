// Fuzzes the volume container: the 14-byte header, the LZMA decoder behind it, and UnpackFile as the
// installer runs it on a volume. Outputs are buffers of exactly the promised size, so a write past
// one is an AddressSanitizer report; UnpackFile must agree with the in-memory decode.
//
// Both decoding paths allocate the header's unpacked size up front by design (the output is the
// decoder's dictionary), so inputs promising more than kMaxUnpacked are decoded no further than
// their header.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "fuzz_distribution.h"
#include "fuzz_input_file.h"
#include "package/lzma_volume.h"
#include "package/volume_container.h"
#include "platform/config.h"
#include "platform/fs.h"

namespace {

using namespace tlx::package;
using tlx::fuzz::Require;

constexpr uint64_t kMaxUnpacked = uint64_t{1} << 20;

// Checks what the decoder reports: never more output than the buffer, never less input than before.
class CheckedProgress final : public CodecProgress {
 public:
  CheckedProgress(size_t in_size, size_t out_size) : in_size_(in_size), out_size_(out_size) {}
  bool Report(uint64_t in_done, uint64_t out_done) override {
    Require(in_done <= in_size_ && out_done <= out_size_, "progress past the buffers");
    Require(in_done >= in_done_ && out_done >= out_done_, "progress going back");
    in_done_ = in_done;
    out_done_ = out_done;
    return true;
  }

 private:
  size_t in_size_, out_size_;
  uint64_t in_done_ = 0, out_done_ = 0;
};

uint64_t g_unpacked = 0;
int UnpackCallback(uint32_t, CodecProgress*, uint64_t first, uint64_t) {
  Require(first <= g_unpacked, "UnpackFile reports more bytes than the header promises");
  return 0;
}

std::string ReadNative(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> input(data, size);
  const std::string in_path = tlx::fuzz::InputFile(data, size);
  const std::string out_path = "z:\\unpacked.dat";
  const std::string out_native = *tlx::platform::NativePath(out_path);

  ContainerHeader header;
  const CodecStatus read = ReadContainerHeader(input, &header);
  Require((read == CodecStatus::kOk) == (size >= kContainerHeaderSize), "header read of a short input");
  Require(PackedSize(in_path, 0) == (read == CodecStatus::kOk ? header.unpacked_size : 0), "PackedSize");
  Require(PackedSize(in_path, size + 1) == 0, "PackedSize past the end");
  if (read != CodecStatus::kOk || header.unpacked_size > kMaxUnpacked) {
    if (read != CodecStatus::kOk) {
      Require(UnpackFile(out_path, in_path, 0, nullptr, 0) == 0, "UnpackFile of a short container");
      Require(!std::filesystem::exists(out_native), "a failed UnpackFile left its output");
    }
    return 0;
  }
  const size_t unpacked = static_cast<size_t>(header.unpacked_size);

  std::vector<uint8_t> dest(unpacked);
  CheckedProgress progress(size - kContainerHeaderSize, unpacked);
  const CodecStatus decoded = DecodeContainer(input, dest, &progress);
  if (unpacked > 0) {  // a buffer of another size is refused before anything is decoded
    std::vector<uint8_t> shorter(unpacked - 1);
    const CodecStatus status = DecodeContainer(input, shorter, nullptr);
    Require(status == CodecStatus::kOutputShort || status == CodecStatus::kUnsupported, "a short buffer");
  }

  // The raw decoder into less room than the stream holds stops at the buffer's end.
  std::vector<uint8_t> half(unpacked / 2);
  size_t consumed = 0;
  CheckedProgress half_progress(size - kContainerHeaderSize, half.size());
  const CodecStatus raw = LzmaDecode(header.props, input.subspan(kContainerHeaderSize), half, &consumed,
                                     &half_progress);
  Require(consumed <= size - kContainerHeaderSize, "consumed more than the stream");
  Require(raw != CodecStatus::kOk || consumed > 0 || half.empty(), "decoded from nothing");

  // The file operation: the same result as the in-memory decode, and no output left on failure.
  g_unpacked = unpacked;
  const uint32_t written = UnpackFile(out_path, in_path, 0, UnpackCallback, 0);
  const bool ok = decoded == CodecStatus::kOk && unpacked > 0;
  Require(written == (ok ? unpacked : 0), "UnpackFile disagrees with DecodeContainer");
  if (ok) {
    Require(ReadNative(out_native) == std::string(dest.begin(), dest.end()), "UnpackFile output differs");
    tlx::platform::DeleteFile(out_path);
  } else {
    Require(!std::filesystem::exists(out_native), "a failed UnpackFile left its output");
  }
  return 0;
}
