#include "package/volume_pipeline.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <exception>
#include <limits>
#include <mutex>
#include <thread>

#include "messages/zerror.h"
#include "package/volume_blocks.h"
#include "platform/error.h"
#include "platform/file.h"

namespace tlx::package {

namespace {

// The kept bytes of a small volume.
class MemorySource final : public VolumeSource {
 public:
  explicit MemorySource(std::span<const uint8_t> bytes) : rest_(bytes) {}
  bool Read(uint8_t* data, size_t size, size_t* done) override {
    *done = std::min(size, rest_.size());
    if (*done != 0) std::memcpy(data, rest_.data(), *done);
    rest_ = rest_.subspan(*done);
    return true;
  }

 private:
  std::span<const uint8_t> rest_;
};

class SharedState;

}  // namespace

struct PipelineJob {
  const VolumeToCheck* volume = nullptr;
  SharedState* shared = nullptr;  // null: everything on the caller's thread
  // Looking at the volume.
  VolumeState state = VolumeState::kDamaged;
  std::exception_ptr error;
  bool header_holds = false;
  ContainerHeader header;
  std::vector<uint8_t> kept;  // a small volume's bytes
  platform::File file;        // a larger volume, open again for its stream
  std::unique_ptr<VolumeSource> source;
  // Decoding ahead (worker threads only; guarded by the shared state's mutex).
  bool checked = false;
  std::deque<std::vector<uint8_t>> pieces;
  size_t queued = 0;
  bool decoded = false;
  bool dropped = false;  // nobody takes its bytes any more
  StreamResult result;
  uint32_t result_error = 0;
  std::exception_ptr decode_error;
  bool drained = false;
};

namespace {

// Looks at the job's volume and, when it is good, reads its header and keeps its stream open.
void Look(PipelineJob& job, size_t read_once) {
  try {
    job.state = CheckVolumeFile(*job.volume, &job.kept, read_once);
    if (job.state != VolumeState::kGood) return;
    if (!job.kept.empty()) {
      job.source = std::make_unique<MemorySource>(job.kept);
    } else {
      job.file = platform::File::Open(job.volume->path, {platform::Access::Read, platform::kShareRead,
                                                         platform::Disposition::OpenExisting, true});
      if (!job.file.valid()) messages::RaiseSysError(job.volume->path);
      job.source = std::make_unique<FileVolumeSource>(job.file);
    }
    const StreamResult read = ReadVolumeHeader(*job.source, &job.header);
    if (read.end == StreamEnd::kReadFailed) messages::RaiseSysError(job.volume->path);
    job.header_holds = read.end == StreamEnd::kDone && job.header.unpacked_size != 0 &&
                       job.header.unpacked_size <= std::numeric_limits<uint32_t>::max();
  } catch (...) {
    job.error = std::current_exception();
  }
}

void Release(PipelineJob& job) {
  job.source.reset();
  job.file = {};
  std::vector<uint8_t>().swap(job.kept);
}

class SharedState {
 public:
  SharedState(const std::vector<VolumeToCheck>& volumes, unsigned threads, const PipelineLimits& limits)
      : limits_(limits), window_(2 * threads) {
    jobs_.reserve(volumes.size());
    for (const VolumeToCheck& volume : volumes) {
      auto job = std::make_unique<PipelineJob>();
      job->volume = &volume;
      job->shared = this;
      jobs_.push_back(std::move(job));
    }
  }

  void Work() {
    for (;;) {
      PipelineJob* job = nullptr;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return stop_ || next_ >= jobs_.size() || next_ < head_ + window_; });
        if (stop_ || next_ >= jobs_.size()) return;
        job = jobs_[next_++].get();
      }
      Look(*job, limits_.read_once);
      {
        std::lock_guard lock(mutex_);
        job->checked = true;
      }
      changed_.notify_all();
      StreamResult result;
      uint32_t error = 0;
      std::exception_ptr failure;  // memory running out, say: raised again on the caller's thread
      if (job->state == VolumeState::kGood && !job->error && job->header_holds) {
        try {
          QueueSink sink(*this, *job);
          result = DecodeVolumeBody(*job->source, job->header, sink, nullptr);
          error = platform::LastError();
        } catch (...) {
          failure = std::current_exception();
        }
      }
      Release(*job);
      {
        std::lock_guard lock(mutex_);
        job->result = result;
        job->result_error = error;
        job->decode_error = failure;
        job->decoded = true;
      }
      changed_.notify_all();
    }
  }

  // The caller's turn at job `index`: waits until it has been looked at.
  PipelineJob& Take(size_t index) {
    std::unique_lock lock(mutex_);
    head_ = index;
    changed_.notify_all();
    changed_.wait(lock, [&] { return jobs_[index]->checked; });
    return *jobs_[index];
  }

  // The caller is done with `job`: whatever it still holds or makes goes.
  void Drop(PipelineJob& job) {
    {
      std::lock_guard lock(mutex_);
      job.dropped = true;
      used_ -= job.queued;
      job.queued = 0;
      job.pieces.clear();
    }
    changed_.notify_all();
  }

  void Stop() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
  }

  StreamResult Drain(PipelineJob& job, DecodedSink& sink) {
    uint64_t produced = 0;
    for (;;) {
      std::vector<uint8_t> piece;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !job.pieces.empty() || job.decoded; });
        if (job.pieces.empty()) break;
        piece = std::move(job.pieces.front());
        job.pieces.pop_front();
        job.queued -= piece.size();
        used_ -= piece.size();
      }
      changed_.notify_all();
      if (!sink.Write(piece)) {
        const uint32_t error = platform::LastError();
        Drop(job);
        platform::SetLastError(error);
        return {StreamEnd::kSinkFailed, CodecStatus::kOk, produced};
      }
      produced += piece.size();
    }
    std::lock_guard lock(mutex_);
    if (job.decode_error) std::rethrow_exception(job.decode_error);
    if (job.result.end == StreamEnd::kReadFailed) platform::SetLastError(job.result_error);
    return job.result;
  }

 private:
  // Decoded bytes of a job, queued for the caller: a job whose turn has not come waits while the
  // budget is spent, the job being taken while the caller has not caught up.
  class QueueSink final : public DecodedSink {
   public:
    QueueSink(SharedState& shared, PipelineJob& job) : shared_(shared), job_(job) {}
    bool Write(std::span<const uint8_t> bytes) override {
      std::vector<uint8_t> piece(bytes.begin(), bytes.end());
      std::unique_lock lock(shared_.mutex_);
      shared_.changed_.wait(lock, [&] {
        if (shared_.stop_ || job_.dropped) return true;
        if (shared_.jobs_[shared_.head_].get() == &job_) return job_.queued < shared_.limits_.taken_queue;
        return shared_.used_ == 0 || shared_.used_ + piece.size() <= shared_.limits_.decoded_budget;
      });
      if (shared_.stop_ || job_.dropped) {
        platform::SetLastError(platform::err::kInvalidHandle);
        return false;
      }
      job_.queued += piece.size();
      shared_.used_ += piece.size();
      job_.pieces.push_back(std::move(piece));
      lock.unlock();
      shared_.changed_.notify_all();
      return true;
    }

   private:
    SharedState& shared_;
    PipelineJob& job_;
  };

  const PipelineLimits limits_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::unique_ptr<PipelineJob>> jobs_;
  const size_t window_;  // jobs started ahead of the one being taken, at most
  size_t head_ = 0;
  size_t next_ = 0;
  size_t used_ = 0;  // decoded bytes queued, over all jobs
  bool stop_ = false;
};

}  // namespace

unsigned DefaultDecodeThreads() {
  if (const char* forced = std::getenv("TLX_DECODE_THREADS")) {
    const int value = std::atoi(forced);
    if (value >= 1 && value <= static_cast<int>(kMaxDecodeThreads)) return static_cast<unsigned>(value);
  }
  const unsigned cores = std::thread::hardware_concurrency();
  return std::clamp(cores, 1u, kMaxDecodeThreads);
}

VolumeState DecodedVolume::State() {
  if (job_.error) std::rethrow_exception(job_.error);
  return job_.state;
}

bool DecodedVolume::HeaderHolds() const { return !job_.error && job_.state == VolumeState::kGood && job_.header_holds; }

const ContainerHeader& DecodedVolume::header() const { return job_.header; }

StreamResult DecodedVolume::Drain(DecodedSink& sink) {
  if (!HeaderHolds() || job_.drained) {
    platform::SetLastError(platform::err::kInvalidParameter);
    return {StreamEnd::kSinkFailed, CodecStatus::kOk, 0};
  }
  job_.drained = true;
  if (job_.shared != nullptr) return job_.shared->Drain(job_, sink);
  const StreamResult result = DecodeVolumeBody(*job_.source, job_.header, sink, nullptr);
  const uint32_t error = platform::LastError();
  Release(job_);
  platform::SetLastError(error);
  return result;
}

VolumePipeline::VolumePipeline(unsigned threads, PipelineLimits limits)
    : threads_(std::clamp(threads, 1u, kMaxDecodeThreads)), limits_(limits) {}

void VolumePipeline::Run(const std::vector<VolumeToCheck>& volumes,
                         const std::function<void(const VolumeToCheck&, DecodedVolume&)>& take) {
  if (threads_ == 1 || volumes.size() < 2) {
    for (const VolumeToCheck& volume : volumes) {
      PipelineJob job;
      job.volume = &volume;
      Look(job, limits_.read_once);
      DecodedVolume decoded(job);
      take(volume, decoded);
    }
    return;
  }
  SharedState shared(volumes, threads_, limits_);
  std::vector<std::thread> workers;
  // However the run ends, the workers stop and are joined before the jobs go.
  struct Joiner {
    SharedState& shared;
    std::vector<std::thread>& workers;
    ~Joiner() {
      shared.Stop();
      for (std::thread& worker : workers) worker.join();
    }
  } joiner{shared, workers};
  const unsigned count = static_cast<unsigned>(std::min<size_t>(threads_, volumes.size()));
  for (unsigned i = 0; i < count; ++i) workers.emplace_back([&shared] { shared.Work(); });
  for (size_t index = 0; index < volumes.size(); ++index) {
    PipelineJob& job = shared.Take(index);
    DecodedVolume decoded(job);
    take(volumes[index], decoded);
    shared.Drop(job);
  }
}

void AppendDecodedVolume(DecodedVolume& decoded, store::SFile& buffer, const std::string& buffer_path,
                         const std::string& volume_path, const std::string& label) {
  if (!decoded.HeaderHolds()) {
    messages::RaiseMsg("Файл " + label + " - Ошибки при распаковке", messages::kMsgFinalText);
  }
  RequireRoomFor(buffer_path, decoded.header().unpacked_size, volume_path);
  BlockSink sink(buffer, label);
  switch (decoded.Drain(sink).end) {
    case StreamEnd::kDone:
      sink.Finish();
      return;
    case StreamEnd::kReadFailed:
      messages::RaiseSysError(volume_path);
    case StreamEnd::kSinkFailed:
      messages::RaiseSysError(buffer_path);
    case StreamEnd::kDamaged:
      break;
  }
  messages::RaiseMsg("Файл " + label + " - Ошибки при распаковке", messages::kMsgFinalText);
}

}  // namespace tlx::package
