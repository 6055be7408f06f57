#include "package/volume_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "messages/zerror.h"
#include "package/lzma_codec.h"
#include "package/x86_filter.h"
#include "platform/drives.h"
#include "platform/error.h"
#include "platform/fs.h"

namespace tlx::package {
namespace {

// Packed bytes read at once, and decoded bytes handed on at once: large enough that a call costs
// nothing measurable, small enough that memory stays flat.
constexpr size_t kPiece = size_t{1} << 20;

StreamResult Damaged(CodecStatus status, uint64_t produced = 0) { return {StreamEnd::kDamaged, status, produced}; }

// Fills `data` as far as the source goes.
bool ReadFully(VolumeSource& source, uint8_t* data, size_t size, size_t* done) {
  *done = 0;
  while (*done < size) {
    size_t got = 0;
    if (!source.Read(data + *done, size - *done, &got)) return false;
    if (got == 0) break;
    *done += got;
  }
  return true;
}

}  // namespace

bool FileVolumeSource::Read(uint8_t* data, size_t size, size_t* done) {
  uint32_t got = 0;
  const bool ok = file_.Read(data, static_cast<uint32_t>(std::min<size_t>(size, kPiece)), &got);
  *done = got;
  return ok;
}

bool FileSink::Write(std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const uint32_t count = static_cast<uint32_t>(std::min<size_t>(bytes.size(), kPiece));
    uint32_t done = 0;
    if (!file_.Write(bytes.data(), count, &done)) return false;
    if (done == 0) {
      platform::SetLastError(platform::err::kDiskFull);
      return false;
    }
    bytes = bytes.subspan(done);
  }
  return true;
}

StreamResult ReadVolumeHeader(VolumeSource& source, ContainerHeader* header) {
  uint8_t bytes[kContainerHeaderSize];
  size_t done = 0;
  if (!ReadFully(source, bytes, sizeof bytes, &done)) return {StreamEnd::kReadFailed, CodecStatus::kOk, 0};
  const CodecStatus status = ReadContainerHeader({bytes, done}, header);
  if (status != CodecStatus::kOk) return Damaged(status);
  if (header->filter > static_cast<uint8_t>(VolumeFilter::kX86)) return Damaged(CodecStatus::kUnsupported);
  return {};
}

StreamResult DecodeVolumeBody(VolumeSource& source, const ContainerHeader& header, DecodedSink& sink,
                              CodecProgress* progress) {
  LzmaStreamDecoder decoder;
  if (const CodecStatus status = decoder.Start(header.props, header.unpacked_size); status != CodecStatus::kOk) {
    return Damaged(status);
  }
  const bool x86 = header.filter == static_cast<uint8_t>(VolumeFilter::kX86);
  X86StreamDecoder converter;
  std::vector<uint8_t> input(kPiece);
  std::vector<uint8_t> converted(x86 ? kPiece + 4 : 0);  // the dictionary must stay as decoded
  size_t held = 0;   // converted bytes not yet final, at the front of `converted`
  size_t begin = 0;  // unread input is input[begin, end)
  size_t end = 0;
  bool input_ends = false;
  uint64_t consumed_total = 0;
  StreamResult result;
  while (!decoder.finished()) {
    if (begin == end && !input_ends) {
      size_t got = 0;
      if (!source.Read(input.data(), input.size(), &got)) return {StreamEnd::kReadFailed, CodecStatus::kOk, result.produced};
      begin = 0;
      end = got;
      input_ends = got == 0;
    }
    size_t consumed = 0;
    std::span<const uint8_t> out;
    const CodecStatus status = decoder.Decode({input.data() + begin, end - begin}, input_ends, kPiece, &consumed, &out);
    begin += consumed;
    consumed_total += consumed;
    if (!out.empty()) {
      if (x86) {
        std::memcpy(converted.data() + held, out.data(), out.size());
        const size_t total = held + out.size();
        const size_t final_bytes = converter.Convert(converted.data(), total);
        if (!sink.Write({converted.data(), final_bytes})) return {StreamEnd::kSinkFailed, CodecStatus::kOk, result.produced};
        result.produced += final_bytes;
        held = total - final_bytes;
        std::memmove(converted.data(), converted.data() + final_bytes, held);
      } else {
        if (!sink.Write(out)) return {StreamEnd::kSinkFailed, CodecStatus::kOk, result.produced};
        result.produced += out.size();
      }
    }
    if (progress != nullptr) progress->Report(consumed_total, decoder.produced());
    if (status != CodecStatus::kOk) return Damaged(status, result.produced);
    if (consumed == 0 && out.empty() && !decoder.finished() && begin != end) {
      // The decoder needs more than the rest of this piece: move the rest to the front and read on.
      std::memmove(input.data(), input.data() + begin, end - begin);
      end -= begin;
      begin = 0;
      size_t got = 0;
      if (!source.Read(input.data() + end, input.size() - end, &got)) {
        return {StreamEnd::kReadFailed, CodecStatus::kOk, result.produced};
      }
      end += got;
      input_ends = got == 0;
    }
  }
  if (held != 0) {  // the last bytes of the stream are never an instruction's start
    if (!sink.Write({converted.data(), held})) return {StreamEnd::kSinkFailed, CodecStatus::kOk, result.produced};
    result.produced += held;
  }
  return result;
}

StreamResult DecodeVolumeToFile(VolumeSource& source, const ContainerHeader& header, const std::string& out_path,
                                CodecProgress* progress) {
  StreamResult result{StreamEnd::kSinkFailed, CodecStatus::kOk, 0};
  platform::File out = platform::File::Open(out_path, {platform::Access::Write, platform::kShareRead,
                                                       platform::Disposition::CreateAlways});
  if (!out.valid()) return result;
  FileSink sink(out);
  result = DecodeVolumeBody(source, header, sink, progress);
  if (result.end == StreamEnd::kDone && !out.Close()) result.end = StreamEnd::kSinkFailed;
  if (result.end != StreamEnd::kDone) {  // no half-written output; the failure's error stays
    const uint32_t error = platform::LastError();
    out = {};
    platform::DeleteFile(out_path);
    platform::SetLastError(error);
  }
  return result;
}

void RequireRoomFor(const std::string& out_path, uint64_t size, const std::string& volume_path) {
  if (const std::optional<uint64_t> free = platform::FreeBytes(out_path); free && *free < size) {
    platform::SetLastError(platform::err::kDiskFull);
    messages::RaiseSysError(volume_path);
  }
}

bool UnpackVolume(const std::string& out_path, const std::string& volume_path) {
  platform::File in = platform::File::Open(volume_path, {platform::Access::Read, platform::kShareRead,
                                                         platform::Disposition::OpenExisting, true});
  if (!in.valid()) messages::RaiseSysError(volume_path);
  FileVolumeSource source(in);
  ContainerHeader header;
  StreamResult result = ReadVolumeHeader(source, &header);
  if (result.end == StreamEnd::kReadFailed) messages::RaiseSysError(volume_path);
  if (result.end != StreamEnd::kDone || header.unpacked_size == 0 ||
      header.unpacked_size > std::numeric_limits<uint32_t>::max()) {
    return false;
  }
  // What the header promises must fit before anything is written; what it holds is then checked as
  // it is decoded.
  RequireRoomFor(out_path, header.unpacked_size, volume_path);
  switch (DecodeVolumeToFile(source, header, out_path, nullptr).end) {
    case StreamEnd::kDone:
      return true;
    case StreamEnd::kReadFailed:
      messages::RaiseSysError(volume_path);
    case StreamEnd::kSinkFailed:
      messages::RaiseSysError(out_path);
    case StreamEnd::kDamaged:
      break;
  }
  return false;
}

}  // namespace tlx::package
