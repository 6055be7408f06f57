// A volume decoded as a stream: read in pieces with ordinary reads, decoded by a dictionary of bounded
// size, and handed on in pieces. A volume that shrinks while it is read ends as a short stream, an
// output that cannot be written as a failed write: errors, never a signal, whatever the disk or the
// medium does. Memory is the dictionary and two pieces, never the size a header promises.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "package/codec_status.h"
#include "package/volume_container.h"
#include "platform/file.h"

namespace tlx::package {

// Where the packed bytes come from.
class VolumeSource {
 public:
  virtual ~VolumeSource() = default;
  // Reads up to `size` bytes into `data`; `*done` is 0 at the end. False on a read error, which
  // LastError then holds.
  virtual bool Read(uint8_t* data, size_t size, size_t* done) = 0;
};

// A source reading an open file from its current position.
class FileVolumeSource final : public VolumeSource {
 public:
  explicit FileVolumeSource(platform::File& file) : file_(file) {}
  bool Read(uint8_t* data, size_t size, size_t* done) override;

 private:
  platform::File& file_;
};

// Where the decoded bytes go, in stream order.
class DecodedSink {
 public:
  virtual ~DecodedSink() = default;
  // False stops the decoding; LastError then says why.
  virtual bool Write(std::span<const uint8_t> bytes) = 0;
};

// A sink writing to an open file.
class FileSink final : public DecodedSink {
 public:
  explicit FileSink(platform::File& file) : file_(file) {}
  bool Write(std::span<const uint8_t> bytes) override;

 private:
  platform::File& file_;
};

// How a decoding ended.
enum class StreamEnd : uint8_t {
  kDone,       // every promised byte decoded and handed on
  kDamaged,    // the header or the stream is bad or short: `status` says how
  kReadFailed, // the source failed; LastError holds its error
  kSinkFailed, // the sink refused; LastError holds its error
};

struct StreamResult {
  StreamEnd end = StreamEnd::kDone;
  CodecStatus status = CodecStatus::kOk;
  uint64_t produced = 0;  // bytes handed to the sink
};

// Reads the 14-byte container header from `source`. kDamaged with kInputShort when it is shorter,
// kUnsupported for a filter byte other than 0 and 1; kReadFailed.
StreamResult ReadVolumeHeader(VolumeSource& source, ContainerHeader* header);

// Decodes the stream after the header into `sink`, undoing the x86 conversion when the header asks
// for it. `progress` (optional) hears (consumed, produced) after every piece. Bytes after the stream
// are left unread.
StreamResult DecodeVolumeBody(VolumeSource& source, const ContainerHeader& header, DecodedSink& sink,
                              CodecProgress* progress);

// Decodes the stream after `header` into `out_path` (created, or replaced). On any failure `out_path`
// is gone and LastError keeps the failure's error; an output that cannot be created, written or closed
// is kSinkFailed.
StreamResult DecodeVolumeToFile(VolumeSource& source, const ContainerHeader& header, const std::string& out_path,
                                CodecProgress* progress);

// Raises the disk-full error naming `volume_path` when the drive of `out_path` has less room than
// `size` (the unpacked size a volume's header promises): checked before any output is made.
void RequireRoomFor(const std::string& out_path, uint64_t size, const std::string& volume_path);

// The installer's unpacking of one volume into `out_path` (replaced). A volume whose header promises
// more than the drive of `out_path` has free is refused before the output is made, with the disk-full
// error naming the volume; a volume that cannot be read raises the file layer's error naming it, an
// output that cannot be written the one naming `out_path`. Returns false for a damaged volume. On
// every failure `out_path` is gone.
bool UnpackVolume(const std::string& out_path, const std::string& volume_path);

}  // namespace tlx::package
