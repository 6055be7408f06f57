// A group's volumes looked at and decoded ahead on worker threads, and handed back strictly in volume
// order on the calling thread: whatever the caller does with each (the bars, the error list, the
// install buffer, the log) happens exactly as when one thread does everything in turn. Each volume is
// an independent stream, so on several cores the installation does not wait for one decoder.
// Memory stays bounded whatever the volumes hold: at most a few volumes are worked on at once, a
// small volume is read once for its checksum and its decoding together (a larger one twice), and
// decoded bytes waiting for their turn have a fixed budget; a worker that would exceed it waits.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "package/volume_set.h"
#include "package/volume_stream.h"

namespace tlx::store {
class SFile;
}

namespace tlx::package {

inline constexpr unsigned kMaxDecodeThreads = 4;

// What the pipeline may hold.
struct PipelineLimits {
  // A volume up to this size is kept in memory after its checksum is read, so it is read once.
  size_t read_once = size_t{6} << 20;
  // Decoded bytes of the volumes after the one being taken, waiting for their turn (at least one
  // piece is always let through).
  size_t decoded_budget = size_t{8} << 20;
  // Decoded bytes of the volume being taken that may wait for the caller.
  size_t taken_queue = size_t{4} << 20;
};

// The decoding threads of this machine: its cores, at most kMaxDecodeThreads, at least 1. The
// environment variable TLX_DECODE_THREADS (1..kMaxDecodeThreads) overrides it.
unsigned DefaultDecodeThreads();

struct PipelineJob;

// One volume as its turn comes.
class DecodedVolume {
 public:
  // What looking at it found. Raises what looking at it raised (a volume that cannot be read).
  VolumeState State();
  // For a good volume: its container header could be read and names a stream the decoder takes;
  // `header` is valid then.
  bool HeaderHolds() const;
  const ContainerHeader& header() const;
  // Hands the decoded bytes to `sink` in order and returns how the decoding ended; after kReadFailed
  // and kSinkFailed LastError holds the failure's error. Only for a good volume whose header holds,
  // and only once. A sink that raises leaves the rest of the volume dropped.
  StreamResult Drain(DecodedSink& sink);

 private:
  friend class VolumePipeline;
  explicit DecodedVolume(PipelineJob& job) : job_(job) {}
  PipelineJob& job_;
};

class VolumePipeline {
 public:
  // `threads` 1 (or 0): everything on the calling thread as each volume's turn comes.
  explicit VolumePipeline(unsigned threads, PipelineLimits limits = {});
  unsigned threads() const { return threads_; }

  // Looks at and decodes `volumes` and calls `take` for each, in order, on the calling thread. An
  // exception from `take` ends the run at once: the workers stop and drop what they hold.
  void Run(const std::vector<VolumeToCheck>& volumes,
           const std::function<void(const VolumeToCheck&, DecodedVolume&)>& take);

 private:
  unsigned threads_;
  PipelineLimits limits_;
};

// A good volume's turn in the install step: its header's promise must fit on the drive of `buffer`
// (`buffer_path`) before anything is written, then its blocks' payloads go straight into `buffer`.
// `label` names the volume in the messages. Raises ZError 0 "Файл <label> - Ошибки при
// распаковке" for a stream that does not decode, the block errors of AppendVolumeBlocks, the disk-full
// error naming `volume_path` for a promise that does not fit, and the file layer's errors naming
// the volume (read) or the buffer (write).
void AppendDecodedVolume(DecodedVolume& decoded, store::SFile& buffer, const std::string& buffer_path,
                         const std::string& volume_path, const std::string& label);

}  // namespace tlx::package
