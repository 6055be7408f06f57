// A group's volumes looked at and decoded ahead on worker threads, and handed back strictly in volume
// order on the calling thread: whatever the caller does with each (the bars, the error list, the
// install buffer, the log) happens exactly as when one thread does everything in turn. Each volume is
// an independent stream, so on several cores the installation does not wait for one decoder.
// Memory stays bounded whatever the volumes hold: at most a few volumes are worked on at once, a
// small volume is read once for its checksum and its decoding together (a larger one twice), and
// decoded bytes waiting for their turn have a fixed budget; a worker that would exceed it waits.
// Large volumes going into an install buffer need no budget: a worker writes their blocks' payloads
// straight to the place they take in the buffer when every block before them is full (as the
// builder makes them), and the caller takes them over at their turn when that place is theirs, or
// decodes them again at the true place when it is not.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
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
  // With a BufferPlacement: a good volume unpacking to at least this many bytes is written into the
  // buffer by its worker (smaller ones gain nothing by it and go through the budget).
  uint64_t place_from = uint64_t{1} << 20;
};

// The install buffer decoded volumes go into, for the workers to write large volumes straight into.
struct BufferPlacement {
  store::SFile& buffer;     // the caller's, open at its end
  std::string buffer_path;  // for the workers' own handles
  // How block errors name a volume (as the caller's own BlockSink does).
  std::function<std::string(const VolumeToCheck&)> label;
};

// The decoding threads of this machine: its cores, at most kMaxDecodeThreads, at least 1. The
// environment variable TLX_DECODE_THREADS (1..kMaxDecodeThreads) overrides it.
unsigned DefaultDecodeThreads();

// The limits an installation and a check of the medium work with: the defaults, where the
// environment variable TLX_PLACE_FROM (a decimal byte count) may set place_from, so that tests and
// benchmarks can have small volumes written by the workers too.
PipelineLimits DefaultPipelineLimits();

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
  // and only once. A sink that raises leaves the rest of the volume dropped. For a volume placed
  // elsewhere than `buffer`'s position (see TakePlaced), decodes it again from its file.
  StreamResult Drain(DecodedSink& sink);
  // A volume its worker wrote into the placement's buffer: when it starts at `buffer`'s position,
  // moves `buffer` past what the worker wrote, raises what the worker's writing raised (block
  // errors, the buffer's write errors) and returns how the decoding ended (after kReadFailed
  // LastError holds the error). Nothing (and `buffer` untouched) for a volume not placed or placed
  // elsewhere: Drain gives its bytes then.
  std::optional<StreamResult> TakePlaced(store::SFile& buffer);

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
  // With `placement`, the buffer is written only by `take` through AppendDecodedVolume; bytes a
  // misplaced volume's worker left past the buffer's final end are cut off when the run ends.
  void Run(const std::vector<VolumeToCheck>& volumes,
           const std::function<void(const VolumeToCheck&, DecodedVolume&)>& take,
           const BufferPlacement* placement = nullptr);

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
