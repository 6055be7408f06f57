#include "package/lzma_volume.h"

#include <limits>
#include <span>

#include "package/volume_container.h"
#include "package/volume_stream.h"
#include "platform/file.h"
#include "platform/fs.h"

namespace tlx::package {
namespace {

// The process-wide callback slot, set at the start of every operation and read by the adapter.
struct CallbackSlot {
  LzmaCallback callback = nullptr;
  uint32_t user = 0;
};
CallbackSlot g_slot;

// The coder's progress hook, forwarding to the callback in the slot.
class SlotAdapter final : public CodecProgress {
 public:
  explicit SlotAdapter(bool encoding) : encoding_(encoding) {}

  bool Report(uint64_t in_done, uint64_t out_done) override {
    produced_ = out_done;
    if (g_slot.callback == nullptr) return true;
    if (!encoding_) {
      g_slot.callback(g_slot.user, this, out_done, 0);
      return true;
    }
    return g_slot.callback(g_slot.user, this, in_done, out_done) == 0;
  }

  uint64_t produced() const { return produced_; }
  // A call outside the coder (before or after it), whose result does not matter.
  void Announce(CodecProgress* adapter, uint64_t first, uint64_t second) {
    if (g_slot.callback != nullptr) g_slot.callback(g_slot.user, adapter, first, second);
  }

 private:
  bool encoding_;
  uint64_t produced_ = 0;
};

// The whole input file mapped read-only; invalid when it is missing, unreadable or empty.
platform::Mapping MapInput(const std::string& in_path) {
  platform::Mapping input = platform::Mapping::OpenReadOnly(in_path);
  if (input.valid() && input.size() == 0) return {};
  return input;
}

bool FitsInAddressSpace(uint64_t size) {
  return size <= std::numeric_limits<size_t>::max() && size <= std::numeric_limits<uint32_t>::max();
}

// Packs the mapped input into `dest`; `*written` gets the container size. Runs the callback sequence.
bool PackInto(const platform::Mapping& input, std::span<uint8_t> dest, size_t* written) {
  SlotAdapter adapter(/*encoding=*/true);
  adapter.Announce(nullptr, input.size(), 0);
  const CodecStatus status = EncodeContainer({input.data(), static_cast<size_t>(input.size())}, dest,
                                             VolumeFilter::kNone, /*end_marker=*/false, written,
                                             g_slot.callback != nullptr ? &adapter : nullptr);
  const bool ok = status == CodecStatus::kOk && *written <= std::numeric_limits<uint32_t>::max();
  adapter.Announce(&adapter, input.size(), ok ? *written : 0);
  return ok;
}

// The input checks shared by both packing operations: a mapped, non-empty input below 4 GiB.
bool MapPackInput(const std::string& in_path, platform::Mapping* input, uint64_t* capacity) {
  *input = MapInput(in_path);
  if (!input->valid() || !FitsInAddressSpace(input->size())) return false;
  *capacity = PackCapacity(input->size());
  return *capacity <= std::numeric_limits<size_t>::max();
}

}  // namespace

uint32_t UnpackFile(const std::string& out_path, const std::string& in_path, uint64_t offset,
                    LzmaCallback callback, uint32_t user) {
  g_slot = {callback, user};
  uint64_t produced = 0;
  bool ok = false;
  {
    platform::File input = platform::File::Open(
        in_path, {platform::Access::Read, platform::kShareRead, platform::Disposition::OpenExisting, true});
    ContainerHeader header;
    FileVolumeSource source(input);
    if (input.valid() && offset <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) &&
        input.Seek(static_cast<int64_t>(offset), platform::Origin::Begin) &&
        ReadVolumeHeader(source, &header).end == StreamEnd::kDone && header.unpacked_size != 0 &&
        FitsInAddressSpace(header.unpacked_size)) {
      SlotAdapter adapter(/*encoding=*/false);
      adapter.Announce(nullptr, header.unpacked_size, 0);
      const StreamResult result =
          DecodeVolumeToFile(source, header, out_path, callback != nullptr ? &adapter : nullptr);
      ok = result.end == StreamEnd::kDone;
      produced = ok ? header.unpacked_size : adapter.produced();
      adapter.Announce(&adapter, produced, 0);
    }
  }
  if (!ok) {
    platform::DeleteFile(out_path);
    return 0;
  }
  return static_cast<uint32_t>(produced);
}

uint32_t PackFile(const std::string& out_path, const std::string& in_path, LzmaCallback callback,
                  uint32_t user) {
  g_slot = {callback, user};
  size_t written = 0;
  bool ok = false;
  {
    platform::Mapping input;
    uint64_t capacity = 0;
    if (MapPackInput(in_path, &input, &capacity)) {
      platform::Mapping output = platform::Mapping::CreateReadWrite(out_path, capacity);
      if (output.valid()) {
        ok = PackInto(input, {output.data(), static_cast<size_t>(output.size())}, &written);
        ok = output.Close() && ok;
      }
    }
  }
  if (ok) {  // the file was created at its capacity: cut it to the container
    platform::File file = platform::File::Open(
        out_path, {platform::Access::ReadWrite, platform::kShareRead, platform::Disposition::OpenExisting});
    ok = file.valid() && file.Seek(static_cast<int64_t>(written), platform::Origin::Begin) && file.SetEnd() &&
         file.Close();
  }
  if (!ok) {
    platform::DeleteFile(out_path);
    return 0;
  }
  return static_cast<uint32_t>(written);
}

uint32_t PackFileToMemory(platform::Mapping* packed, const std::string& in_path, LzmaCallback callback,
                          uint32_t user) {
  g_slot = {callback, user};
  *packed = {};
  platform::Mapping input;
  uint64_t capacity = 0;
  if (!MapPackInput(in_path, &input, &capacity)) return 0;
  platform::Mapping memory = platform::Mapping::Anonymous(capacity);
  size_t written = 0;
  if (!memory.valid() || !PackInto(input, {memory.data(), static_cast<size_t>(memory.size())}, &written)) {
    return 0;
  }
  *packed = std::move(memory);
  return static_cast<uint32_t>(written);
}

void ReleasePacked(platform::Mapping* packed) {
  if (packed->valid()) packed->Close();
  *packed = {};
}

uint64_t PackedSize(const std::string& path, uint64_t offset) {
  platform::File file = platform::File::Open(path, {});
  if (!file.valid() || offset > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) ||
      !file.Seek(static_cast<int64_t>(offset), platform::Origin::Begin)) {
    return 0;
  }
  uint8_t bytes[kContainerHeaderSize];
  uint32_t done = 0;
  ContainerHeader header;
  if (!file.Read(bytes, sizeof bytes, &done) ||
      ReadContainerHeader({bytes, done}, &header) != CodecStatus::kOk) {
    return 0;
  }
  return header.unpacked_size;
}

}  // namespace tlx::package
