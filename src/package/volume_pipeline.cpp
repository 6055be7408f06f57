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
#include "platform/drives.h"
#include "platform/file.h"
#include "store/sfile.h"

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
  // Written into the placement's buffer by its worker: from place_start to place_end.
  bool placed = false;
  uint64_t place_start = 0;
  uint64_t place_end = 0;
  std::exception_ptr place_error;  // what writing it raised (block errors, the buffer's errors)
};

namespace {

// Opens the job's volume file as its stream and reads the stream's header into `header`; raises
// the file layer's error naming the volume when it cannot be opened or read.
StreamResult OpenVolumeFile(PipelineJob& job, ContainerHeader* header) {
  job.file = platform::File::Open(job.volume->path, {platform::Access::Read, platform::kShareRead,
                                                     platform::Disposition::OpenExisting, true});
  if (!job.file.valid()) messages::RaiseSysError(job.volume->path);
  job.source = std::make_unique<FileVolumeSource>(job.file);
  const StreamResult read = ReadVolumeHeader(*job.source, header);
  if (read.end == StreamEnd::kReadFailed) messages::RaiseSysError(job.volume->path);
  return read;
}

// Looks at the job's volume and, when it is good, reads its header and keeps its stream open.
void Look(PipelineJob& job, size_t read_once) {
  try {
    job.state = CheckVolumeFile(*job.volume, &job.kept, read_once);
    if (job.state != VolumeState::kGood) return;
    StreamResult read;
    if (!job.kept.empty()) {
      job.source = std::make_unique<MemorySource>(job.kept);
      read = ReadVolumeHeader(*job.source, &job.header);
    } else {
      read = OpenVolumeFile(job, &job.header);
    }
    job.header_holds = read.end == StreamEnd::kDone && job.header.unpacked_size != 0 &&
                       job.header.unpacked_size <= std::numeric_limits<uint32_t>::max();
  } catch (...) {
    job.error = std::current_exception();
  }
}

// The payload a volume adds to the buffer when every one of its blocks is full, as the builder makes
// them: the place of the next volume. A volume that adds nothing (not good, or no stream) adds 0,
// as it does when it is taken.
uint64_t FullPayload(const PipelineJob& job) {
  if (job.error || job.state != VolumeState::kGood || !job.header_holds) return 0;
  const uint64_t blocks = (job.header.unpacked_size + kVolumeBlockSize - 1) / kVolumeBlockSize;
  return job.header.unpacked_size - 2 * blocks;
}

// A placed volume decoded again at its turn: its file opened anew, its header read past.
void Reopen(PipelineJob& job) {
  ContainerHeader header;
  const StreamResult read = OpenVolumeFile(job, &header);
  if (read.end != StreamEnd::kDone || header.unpacked_size != job.header.unpacked_size) {
    messages::RaiseMsg("Файл " + job.volume->path + " - Ошибки при распаковке", messages::kMsgFinalText);
  }
}

void Release(PipelineJob& job) {
  job.source.reset();
  job.file = {};
  std::vector<uint8_t>().swap(job.kept);
}

class SharedState {
 public:
  SharedState(const std::vector<VolumeToCheck>& volumes, unsigned threads, const PipelineLimits& limits,
              const BufferPlacement* placement, uint64_t start)
      : limits_(limits), placement_(placement), start_(start), window_(2 * threads) {
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
      size_t index = 0;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return stop_ || next_ >= jobs_.size() || HeldAhead() < window_; });
        if (stop_ || next_ >= jobs_.size()) return;
        index = next_++;
        job = jobs_[index].get();
      }
      Look(*job, limits_.read_once);
      const bool decodable = job->state == VolumeState::kGood && !job->error && job->header_holds;
      // Whether it is placed is known before its turn can come.
      const bool placed = decodable && Place(index);
      {
        std::lock_guard lock(mutex_);
        job->checked = true;
      }
      changed_.notify_all();
      StreamResult result;
      uint32_t error = 0;
      std::exception_ptr failure;  // memory running out, say: raised again on the caller's thread
      if (placed) {
        try {
          Write(*job, &result);
          error = platform::LastError();
        } catch (...) {
          failure = std::current_exception();
        }
      } else if (decodable) {
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

  // Jobs started ahead of the one being taken that still hold memory or a worker: a volume written
  // into the buffer holds nothing once it is done.
  size_t HeldAhead() const {
    size_t held = 0;
    for (size_t i = head_; i < next_; ++i) held += jobs_[i]->placed && jobs_[i]->decoded ? 0 : 1;
    return held;
  }

  // Whether job `index`'s worker writes it into the buffer itself, and where: at the buffer's start
  // plus the full payloads of the volumes before it, once they have all been looked at, when the
  // drive has room for every volume from the one being taken up to this one.
  bool Place(size_t index) {
    PipelineJob& job = *jobs_[index];
    if (placement_ == nullptr || job.header.unpacked_size < limits_.place_from) return false;
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] {
      if (stop_) return true;
      for (size_t i = 0; i < index; ++i) {
        if (!jobs_[i]->checked) return false;
      }
      return true;
    });
    if (stop_) return false;
    uint64_t place = start_;
    for (size_t i = 0; i < index; ++i) place += FullPayload(*jobs_[i]);
    uint64_t promised = 0;
    for (size_t i = std::min(head_, index); i <= index; ++i) promised += FullPayload(*jobs_[i]);
    lock.unlock();
    const std::optional<uint64_t> free = platform::FreeBytes(placement_->buffer_path);
    if (!free || *free < promised) return false;
    lock.lock();
    job.placed = true;
    job.place_start = job.place_end = place;
    return true;
  }

  // Decodes a placed job's blocks into the buffer through a handle of its own. What the writing
  // raises is kept for the job's turn; `place_end` is where the writing stopped.
  void Write(PipelineJob& job, StreamResult* result) {
    std::optional<store::SFile> opened;
    try {
      store::SFile& out = opened.emplace(placement_->buffer_path, store::kSFileReadWrite);
      out.Seek(static_cast<int64_t>(job.place_start));
      BlockSink sink(out, placement_->label ? placement_->label(*job.volume) : job.volume->path);
      struct Tracked final : DecodedSink {
        Tracked(BlockSink& sink, store::SFile& out, PipelineJob& job) : sink(sink), out(out), job(job) {}
        bool Write(std::span<const uint8_t> bytes) override {
          if (stop_requested()) {
            platform::SetLastError(platform::err::kInvalidHandle);
            return false;
          }
          sink.Write(bytes);
          job.place_end = static_cast<uint64_t>(out.Tell());
          return true;
        }
        bool stop_requested() const { return job.shared->Stopped(job); }
        BlockSink& sink;
        store::SFile& out;
        PipelineJob& job;
      } tracked(sink, out, job);
      *result = DecodeVolumeBody(*job.source, job.header, tracked, nullptr);
      const uint32_t error = platform::LastError();
      if (result->end == StreamEnd::kDone) sink.Finish();
      out.Close();
      platform::SetLastError(error);
    } catch (...) {
      job.place_error = std::current_exception();
      // A block that failed half-way leaves what came before it written, as the caller's own
      // writing would.
      try {
        if (opened && opened->IsOpen()) job.place_end = static_cast<uint64_t>(opened->Tell());
      } catch (...) {
      }
    }
  }

  bool Stopped(const PipelineJob& job) {
    std::lock_guard lock(mutex_);
    return stop_ || job.dropped;
  }

  // The end of what the workers wrote into the buffer, over all placed jobs.
  uint64_t PlacedEnd() const {
    uint64_t end = 0;
    for (const auto& job : jobs_) end = std::max(end, job->placed ? job->place_end : 0);
    return end;
  }

  // Waits until job `index`'s worker is done with it.
  void WaitDecoded(PipelineJob& job) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return job.decoded; });
  }

  // The caller's turn at job `index`: waits until it has been looked at.
  PipelineJob& Take(size_t index) {
    std::unique_lock lock(mutex_);
    head_ = index;
    changed_.notify_all();
    changed_.wait(lock, [&] { return jobs_[index]->checked; });
    return *jobs_[index];
  }

  // The caller is done with `job`: whatever it still holds or makes goes. A worker writing it into
  // the buffer stops before the caller goes on, so that nothing it writes lands after the caller's
  // own writes.
  void Drop(PipelineJob& job) {
    {
      std::unique_lock lock(mutex_);
      job.dropped = true;
      used_ -= job.queued;
      job.queued = 0;
      job.pieces.clear();
      changed_.notify_all();
      if (job.placed) changed_.wait(lock, [&] { return job.decoded; });
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
  const BufferPlacement* const placement_;
  const uint64_t start_;  // the buffer's end when the run started
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

PipelineLimits DefaultPipelineLimits() {
  PipelineLimits limits;
  if (const char* from = std::getenv("TLX_PLACE_FROM")) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(from, &end, 10);
    if (end != from && *end == '\0') limits.place_from = value;
  }
  return limits;
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
  if (job_.placed) {
    // Written by its worker at a place that turned out not to be its own: decoded again here.
    job_.shared->WaitDecoded(job_);
    Reopen(job_);
  } else if (job_.shared != nullptr) {
    return job_.shared->Drain(job_, sink);
  }
  const StreamResult result = DecodeVolumeBody(*job_.source, job_.header, sink, nullptr);
  const uint32_t error = platform::LastError();
  Release(job_);
  platform::SetLastError(error);
  return result;
}

std::optional<StreamResult> DecodedVolume::TakePlaced(store::SFile& buffer) {
  if (!job_.placed || job_.drained) return std::nullopt;
  job_.shared->WaitDecoded(job_);
  if (static_cast<uint64_t>(buffer.Tell()) != job_.place_start) return std::nullopt;
  job_.drained = true;
  buffer.Seek(static_cast<int64_t>(job_.place_end));
  if (job_.place_error) std::rethrow_exception(job_.place_error);
  if (job_.decode_error) std::rethrow_exception(job_.decode_error);
  if (job_.result.end == StreamEnd::kReadFailed) platform::SetLastError(job_.result_error);
  return job_.result;
}

VolumePipeline::VolumePipeline(unsigned threads, PipelineLimits limits)
    : threads_(std::clamp(threads, 1u, kMaxDecodeThreads)), limits_(limits) {}

void VolumePipeline::Run(const std::vector<VolumeToCheck>& volumes,
                         const std::function<void(const VolumeToCheck&, DecodedVolume&)>& take,
                         const BufferPlacement* placement) {
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
  const uint64_t start = placement != nullptr ? static_cast<uint64_t>(placement->buffer.Tell()) : 0;
  SharedState shared(volumes, threads_, limits_, placement, start);
  std::vector<std::thread> workers;
  // However the run ends, the workers stop and are joined before the jobs go.
  struct Joiner {
    SharedState& shared;
    std::vector<std::thread>& workers;
    void Join() {
      shared.Stop();
      for (std::thread& worker : workers) worker.join();
      workers.clear();
    }
    ~Joiner() { Join(); }
  } joiner{shared, workers};
  const unsigned count = static_cast<unsigned>(std::min<size_t>(threads_, volumes.size()));
  for (unsigned i = 0; i < count; ++i) workers.emplace_back([&shared] { shared.Work(); });
  for (size_t index = 0; index < volumes.size(); ++index) {
    PipelineJob& job = shared.Take(index);
    DecodedVolume decoded(job);
    take(volumes[index], decoded);
    shared.Drop(job);
  }
  // A misplaced volume's worker may have written past where the buffer ends.
  joiner.Join();
  if (placement != nullptr && shared.PlacedEnd() > static_cast<uint64_t>(placement->buffer.Tell())) {
    placement->buffer.SetEnd();
  }
}

void AppendDecodedVolume(DecodedVolume& decoded, store::SFile& buffer, const std::string& buffer_path,
                         const std::string& volume_path, const std::string& label) {
  if (!decoded.HeaderHolds()) {
    messages::RaiseMsg("Файл " + label + " - Ошибки при распаковке", messages::kMsgFinalText);
  }
  // Its worker checked the room and wrote it already, when the place was its own.
  const std::optional<StreamResult> placed = decoded.TakePlaced(buffer);
  if (!placed) RequireRoomFor(buffer_path, decoded.header().unpacked_size, volume_path);
  BlockSink sink(buffer, label);
  switch (placed ? placed->end : decoded.Drain(sink).end) {
    case StreamEnd::kDone:
      if (!placed) sink.Finish();
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
