#include "tools/tlxpack/volume_writer.h"

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
#include "tools/tlxpack/progress.h"

namespace tlx::tlxpack {

namespace {

// Reads, packs and writes one volume; returns its checksum and packed size.
PackedVolume PackOne(const VolumePlan& plan, uint32_t blocks_per_volume, const std::string& buffer,
                     const std::string& out_path) {
  const std::string name = package::VolumeName(plan.number);
  std::string payload(plan.length, '\0');
  platform::File in = platform::File::Open(buffer, {});
  uint32_t done = 0;
  if (!in.valid() || !in.Seek(static_cast<int64_t>(plan.offset), platform::Origin::Begin) ||
      !in.Read(payload.data(), static_cast<uint32_t>(payload.size()), &done) || done != payload.size()) {
    throw std::runtime_error(name + ": the install buffer " + buffer + " cannot be read");
  }
  const std::vector<std::string> images = package::VolumeImages(payload, blocks_per_volume);
  const std::span<const uint8_t> image(reinterpret_cast<const uint8_t*>(images.front().data()), images.front().size());
  std::vector<uint8_t> packed(package::PackCapacity(image.size()));
  size_t written = 0;
  if (images.size() != 1 ||
      package::EncodeContainer(image, packed, package::VolumeFilter::kNone, false, &written, nullptr) !=
      package::CodecStatus::kOk) {
    throw std::runtime_error(name + ": packing failed");
  }
  platform::OpenOptions options;
  options.access = platform::Access::Write;
  options.disposition = platform::Disposition::CreateAlways;
  platform::File out = platform::File::Open(out_path, options);
  uint32_t put = 0;
  if (!out.valid() || !out.Write(packed.data(), static_cast<uint32_t>(written), &put) || put != written ||
      !out.Close()) {
    throw std::runtime_error(out_path + ": cannot be written");
  }
  PackedVolume result;
  result.packed_size = written;
  package::VolumeChecksum(written, packed.data(), &result.lo, &result.hi);
  const std::optional<platform::Sha256Digest> digest = platform::Sha256Of({packed.data(), written});
  if (!digest) throw std::runtime_error(name + ": this system offers no SHA-256");
  result.sha256 = *digest;
  return result;
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
                                      const std::string& setup_folder, unsigned jobs, BuildProgress& progress) {
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
        results[i] = PackOne(plan, layout.blocks_per_volume, buffers[plan.group], setup_folder + package::VolumeName(plan.number));
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
