// The builder's progress line on a terminal (files, volumes, bytes, rate) and its closing summary.
// Counters may be advanced from any thread; only the thread that created the object draws.
#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

namespace tlx::tlxpack {

class BuildProgress {
 public:
  // `visible`: draw the line and the summary (a terminal); otherwise every call only counts.
  explicit BuildProgress(bool visible);

  void SetTotals(uint64_t files, uint64_t volumes, uint64_t bytes);
  void FileDone(uint64_t bytes) {
    files_done_ += 1;
    bytes_done_ += bytes;
  }
  void VolumeDone(uint64_t packed) {
    volumes_done_ += 1;
    packed_bytes_ += packed;
  }
  void SetStage(std::string stage);

  // Redraws the line when at least a fifth of a second has passed since the last drawing.
  void Show();
  // Ends the line and prints the summary: files, volumes, payload and packed bytes, time, rate.
  void Finish(const std::string& destination);

  uint64_t PackedBytes() const { return packed_bytes_; }

 private:
  std::string Line() const;

  bool visible_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_draw_{};
  std::string stage_;
  uint64_t files_total_ = 0;
  uint64_t volumes_total_ = 0;
  uint64_t bytes_total_ = 0;
  std::atomic<uint64_t> files_done_{0};
  std::atomic<uint64_t> volumes_done_{0};
  std::atomic<uint64_t> bytes_done_{0};
  std::atomic<uint64_t> packed_bytes_{0};
};

// "12.3 MB" style size text for the progress line.
std::string ByteText(uint64_t bytes);

}  // namespace tlx::tlxpack
