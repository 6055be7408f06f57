#include "tools/tlxpack/volume_writer.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "package/distribution_writer.h"
#include "package/volume_checksum.h"
#include "package/volume_blocks.h"
#include "package/volume_container.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "tools/tlxpack/progress.h"

namespace tlx::tlxpack {

namespace {

// The unpacked image of one volume, made as it is read: the volume's slice of the install buffer read
// in pieces, each block's 2-byte payload length put before its payload (package::VolumeImages).
class VolumeImageInput final : public package::EncoderInput {
 public:
  VolumeImageInput(platform::File& buffer, uint64_t length, size_t piece)
      : buffer_(buffer), payload_left_(length), piece_(std::max<size_t>(piece, 1)) {}

  bool Read(uint8_t* data, size_t size, size_t* done) override {
    *done = 0;
    while (*done < size) {
      if (head_next_ < 2) {  // the block's length field
        data[(*done)++] = head_[head_next_++];
        continue;
      }
      if (block_left_ == 0) {
        if (payload_left_ == 0) break;
        StartBlock();
        continue;
      }
      if (next_ == filled_ && !Refill()) return false;
      const size_t take = static_cast<size_t>(std::min<uint64_t>({size - *done, filled_ - next_, block_left_}));
      std::copy_n(piece_.data() + next_, take, data + *done);
      next_ += take;
      *done += take;
      block_left_ -= take;
    }
    return true;
  }

 private:
  void StartBlock() {
    const uint64_t length = std::min<uint64_t>(payload_left_, package::kMaxBlockPayload);
    head_[0] = static_cast<uint8_t>(length & 0xFF);
    head_[1] = static_cast<uint8_t>(length >> 8);
    head_next_ = 0;
    block_left_ = length;
    payload_left_ -= length;
  }

  // Reads the next piece of the slice: what the blocks still to come need, at most a piece.
  bool Refill() {
    const uint64_t wanted = std::min<uint64_t>(piece_.size(), block_left_ + payload_left_);
    uint32_t got = 0;
    if (!buffer_.Read(piece_.data(), static_cast<uint32_t>(wanted), &got) || got != wanted) return false;
    filled_ = got;
    next_ = 0;
    return true;
  }

  platform::File& buffer_;
  uint64_t payload_left_;    // not yet begun in a block
  uint64_t block_left_ = 0;  // payload bytes of the current block not yet handed on
  std::vector<uint8_t> piece_;
  size_t filled_ = 0, next_ = 0;
  uint8_t head_[2] = {};
  size_t head_next_ = 2;  // 2: no length field pending
};

// The packed volume written to its file as it is made, its checksum and SHA-256 taken on the way.
class VolumeFileOutput final : public package::EncoderOutput {
 public:
  explicit VolumeFileOutput(const std::string& path) {
    platform::OpenOptions options;
    options.access = platform::Access::Write;
    options.disposition = platform::Disposition::CreateAlways;
    file_ = platform::File::Open(path, options);
  }

  bool valid() const { return file_.valid() && sha256_.valid(); }
  bool Write(std::span<const uint8_t> bytes) override {
    while (!bytes.empty()) {
      const uint32_t count = static_cast<uint32_t>(std::min<size_t>(bytes.size(), uint32_t{1} << 30));
      uint32_t put = 0;
      if (!file_.Write(bytes.data(), count, &put) || put != count) return false;
      checksum_.Update(bytes.data(), count);
      sha256_.Update(bytes.first(count));
      size_ += count;
      bytes = bytes.subspan(count);
    }
    return true;
  }
  // Closes the file and fills `result`; false when the file or the digest cannot be finished.
  bool Finish(PackedVolume* result) {
    if (!file_.Close()) return false;
    const std::optional<platform::Sha256Digest> digest = sha256_.Finish();
    if (!digest) return false;
    result->packed_size = size_;
    result->lo = result->hi = 0;
    checksum_.AddTo(&result->lo, &result->hi);
    result->sha256 = *digest;
    return true;
  }

 private:
  platform::File file_;
  package::VolumeChecksumStream checksum_;
  platform::Sha256 sha256_;
  uint64_t size_ = 0;
};

// Packs one volume with `filter` into `out_path`; `*converted` gets the x86 candidates of its image.
PackedVolume PackOneWith(const VolumePlan& plan, const std::string& buffer, const std::string& out_path,
                         package::VolumeFilter filter, size_t piece, uint64_t* converted) {
  const std::string name = package::VolumeName(plan.number);
  platform::File in = platform::File::Open(buffer, {});
  if (!in.valid() || !in.Seek(static_cast<int64_t>(plan.offset), platform::Origin::Begin)) {
    throw std::runtime_error(name + ": the install buffer " + buffer + " cannot be read");
  }
  VolumeImageInput image(in, plan.length, piece);
  VolumeFileOutput out(out_path);
  if (!out.valid()) throw std::runtime_error(out_path + ": cannot be written");
  const uint64_t blocks = (plan.length + package::kMaxBlockPayload - 1) / package::kMaxBlockPayload;
  const package::CodecStatus status =
      package::EncodeContainerStream(image, plan.length + 2 * blocks, out, filter, converted, nullptr);
  PackedVolume result;
  if (status == package::CodecStatus::kDataError) {
    throw std::runtime_error(name + ": the install buffer " + buffer + " cannot be read");
  }
  if (status == package::CodecStatus::kOutputShort || (status == package::CodecStatus::kOk && !out.Finish(&result))) {
    throw std::runtime_error(out_path + ": cannot be written");
  }
  if (status != package::CodecStatus::kOk) throw std::runtime_error(name + ": packing failed");
  return result;
}

// Reads, packs and writes one volume; returns its checksum and packed size. A volume whose image holds
// x86 code (at least one call or jump to convert per kX86Density bytes) is packed a second time with
// the x86 filter, and the smaller of the two is kept.
PackedVolume PackOne(const VolumePlan& plan, const std::string& buffer, const std::string& out_path, size_t piece) {
  uint64_t converted = 0;
  PackedVolume plain = PackOneWith(plan, buffer, out_path, package::VolumeFilter::kNone, piece, &converted);
  if (converted == 0 || converted * kX86Density < plan.length) return plain;
  const std::string trial = out_path + ".x86";
  try {
    PackedVolume filtered = PackOneWith(plan, buffer, trial, package::VolumeFilter::kX86, piece, nullptr);
    if (filtered.packed_size < plain.packed_size) {
      if (!platform::MoveFile(trial, out_path, true)) throw std::runtime_error(out_path + ": cannot be written");
      return filtered;
    }
  } catch (...) {
    platform::DeleteFile(trial);
    throw;
  }
  platform::DeleteFile(trial);
  return plain;
}

}  // namespace

VolumeLayout LayOutVolumes(const std::array<uint64_t, package::kVolumeGroups>& buffer_sizes,
                           uint32_t blocks_per_volume) {
  VolumeLayout layout;
  layout.blocks_per_volume = blocks_per_volume;
  const uint64_t volume_payload = uint64_t{blocks_per_volume} * package::kMaxBlockPayload;
  int32_t number = kFirstVolumeNumber;
  for (int group = 0; group < package::kVolumeGroups; ++group) {
    layout.ranges[group].first = number;
    for (uint64_t offset = 0; offset < buffer_sizes[group]; offset += volume_payload) {
      if (number > package::kLastVolumeNumber) {
        throw std::invalid_argument("the distribution needs more than " +
                                    std::to_string(package::kLastVolumeNumber) +
                                    " volumes; choose a larger --volume-size");
      }
      layout.volumes.push_back({group, number++, offset, std::min(volume_payload, buffer_sizes[group] - offset)});
    }
    layout.ranges[group].last = number - 1;
  }
  return layout;
}

std::vector<PackedVolume> PackVolumes(const VolumeLayout& layout,
                                      const std::array<std::string, package::kVolumeGroups>& buffers,
                                      const std::string& setup_folder, unsigned jobs, BuildProgress& progress,
                                      size_t piece) {
  std::vector<PackedVolume> results(layout.volumes.size());
  std::vector<std::exception_ptr> errors(layout.volumes.size());
  std::atomic<size_t> next{0};
  std::atomic<unsigned> running{0};
  std::mutex mutex;
  std::condition_variable finished;
  auto worker = [&] {
    for (size_t i = next++; i < layout.volumes.size(); i = next++) {
      const VolumePlan& plan = layout.volumes[i];
      try {
        results[i] = PackOne(plan, buffers[plan.group], setup_folder + package::VolumeName(plan.number), piece);
        progress.VolumeDone(results[i].packed_size);
      } catch (...) {
        errors[i] = std::current_exception();
        next = layout.volumes.size();  // stop handing out work
      }
    }
    std::lock_guard lock(mutex);
    --running;
    finished.notify_all();
  };
  jobs = std::max(1u, std::min<unsigned>(jobs, static_cast<unsigned>(layout.volumes.size())));
  std::vector<std::thread> threads;
  running = jobs;
  for (unsigned j = 0; j < jobs; ++j) threads.emplace_back(worker);
  {
    std::unique_lock lock(mutex);
    while (running > 0) {
      finished.wait_for(lock, std::chrono::milliseconds(200));
      progress.Show();
    }
  }
  for (std::thread& thread : threads) thread.join();
  for (const std::exception_ptr& error : errors) {
    if (error) std::rethrow_exception(error);
  }
  return results;
}

std::string ChecksumTable(const VolumeLayout& layout, const std::vector<PackedVolume>& volumes) {
  std::vector<package::VolumeSum> sums;
  sums.reserve(volumes.size());
  for (const PackedVolume& volume : volumes) sums.push_back({volume.lo, volume.hi});
  return package::ChecksumTableBytes(layout.ranges, sums);
}

}  // namespace tlx::tlxpack
