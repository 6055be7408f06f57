#include "tools/tlxpack/progress.h"

#include <cstdio>

#include "platform/console.h"

namespace tlx::tlxpack {

namespace {
double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }
}  // namespace

std::string ByteText(uint64_t bytes) {
  static const char* const kUnits[] = {"B", "KB", "MB", "GB"};
  double value = static_cast<double>(bytes);
  int unit = 0;
  while (value >= 1024 && unit < 3) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", value, kUnits[unit]);
  return text;
}

BuildProgress::BuildProgress(bool visible) : visible_(visible), start_(std::chrono::steady_clock::now()) {}

void BuildProgress::SetTotals(uint64_t files, uint64_t volumes, uint64_t bytes) {
  files_total_ = files;
  volumes_total_ = volumes;
  bytes_total_ = bytes;
}

void BuildProgress::SetStage(std::string stage) {
  stage_ = std::move(stage);
  last_draw_ = {};
  Show();
}

std::string BuildProgress::Line() const {
  const double elapsed = Seconds(std::chrono::steady_clock::now() - start_);
  const uint64_t bytes = bytes_done_;
  char text[200];
  std::snprintf(text, sizeof text, "%-9s files %llu/%llu  volumes %llu/%llu  %s/%s  %s/s", stage_.c_str(),
                static_cast<unsigned long long>(files_done_.load()), static_cast<unsigned long long>(files_total_),
                static_cast<unsigned long long>(volumes_done_.load()),
                static_cast<unsigned long long>(volumes_total_), ByteText(bytes).c_str(),
                ByteText(bytes_total_).c_str(),
                ByteText(elapsed > 0 ? static_cast<uint64_t>(static_cast<double>(bytes) / elapsed) : 0).c_str());
  return text;
}

void BuildProgress::Show() {
  if (!visible_) return;
  const auto now = std::chrono::steady_clock::now();
  if (last_draw_ != std::chrono::steady_clock::time_point{} && now - last_draw_ < std::chrono::milliseconds(200)) {
    return;
  }
  last_draw_ = now;
  platform::WriteStd(platform::StdStream::Out, "\r" + Line() + "\x1b[K");
}

void BuildProgress::Finish(const std::string& destination) {
  if (!visible_) return;
  const double elapsed = Seconds(std::chrono::steady_clock::now() - start_);
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f s", elapsed);
  platform::WriteStd(platform::StdStream::Out,
                     "\r\x1b[K" + destination + ": " + std::to_string(files_done_.load()) + " files, " +
                         std::to_string(volumes_done_.load()) + " volumes, " + ByteText(bytes_done_) + " packed into " +
                         ByteText(packed_bytes_) + " in " + seconds + "\n");
}

}  // namespace tlx::tlxpack
