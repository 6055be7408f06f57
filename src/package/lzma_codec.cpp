// The LZMA SDK's C coder behind our codec interface. Only this file sees the SDK's headers.
#include "package/lzma_codec.h"

#include <algorithm>
#include <cstdlib>

#include "LzmaDec.h"
#include "LzmaEnc.h"

namespace tlx::package {
namespace {

void* SdkAlloc(void*, size_t size) { return size == 0 ? nullptr : std::malloc(size); }
void SdkFree(void*, void* address) { std::free(address); }
ISzAlloc g_alloc = {SdkAlloc, SdkFree};

CodecStatus FromSdk(SRes res) {
  switch (res) {
    case SZ_OK: return CodecStatus::kOk;
    case SZ_ERROR_MEM: return CodecStatus::kOutOfMemory;
    case SZ_ERROR_UNSUPPORTED: return CodecStatus::kUnsupported;
    case SZ_ERROR_PARAM: return CodecStatus::kUnsupported;
    case SZ_ERROR_INPUT_EOF: return CodecStatus::kInputShort;
    case SZ_ERROR_OUTPUT_EOF: return CodecStatus::kOutputShort;
    case SZ_ERROR_PROGRESS: return CodecStatus::kStopped;
    default: return CodecStatus::kDataError;
  }
}

// Output produced per decoding pass: the progress hook hears this often, and a pass is short enough
// for a responsive window yet long enough to cost nothing measurable.
constexpr size_t kDecodePass = size_t{1} << 20;

// Owner of the decoder's probability tables (the output buffer itself serves as its dictionary).
class Decoder {
 public:
  Decoder() { LzmaDec_Construct(&state_); }
  ~Decoder() { LzmaDec_FreeProbs(&state_, &g_alloc); }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
  CLzmaDec* operator->() { return &state_; }
  CLzmaDec* get() { return &state_; }

 private:
  CLzmaDec state_;
};

// The SDK's progress interface, forwarding to ours.
struct EncoderProgress {
  ICompressProgress vtable;
  CodecProgress* target;
};

SRes ForwardProgress(void* self, UInt64 in_done, UInt64 out_done) {
  auto* progress = static_cast<EncoderProgress*>(self);
  return progress->target->Report(in_done, out_done) ? SZ_OK : SZ_ERROR_PROGRESS;
}

}  // namespace

CodecStatus LzmaDecode(std::span<const uint8_t, kLzmaPropsSize> props, std::span<const uint8_t> src,
                       std::span<uint8_t> dest, size_t* consumed, CodecProgress* progress) {
  if (consumed != nullptr) *consumed = 0;
  Decoder decoder;
  SRes res = LzmaDec_AllocateProbs(decoder.get(), props.data(), kLzmaPropsSize, &g_alloc);
  if (res != SZ_OK) return FromSdk(res);
  decoder->dic = dest.data();
  decoder->dicBufSize = dest.size();
  LzmaDec_Init(decoder.get());

  size_t in_pos = 0;
  ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
  for (;;) {
    const size_t limit = dest.size() - decoder->dicPos > kDecodePass ? decoder->dicPos + kDecodePass
                                                                     : dest.size();
    SizeT in_len = src.size() - in_pos;
    res = LzmaDec_DecodeToDic(decoder.get(), limit, src.data() + in_pos, &in_len, LZMA_FINISH_ANY,
                              &status);
    in_pos += in_len;
    if (progress != nullptr) progress->Report(in_pos, decoder->dicPos);
    if (res != SZ_OK) return FromSdk(res);
    if (decoder->dicPos == dest.size()) break;
    if (status == LZMA_STATUS_FINISHED_WITH_MARK) return CodecStatus::kDataError;  // ended early
    if (status == LZMA_STATUS_NEEDS_MORE_INPUT) return CodecStatus::kInputShort;
  }

  // Every promised byte is out. A stream without an end marker has its range coder settled now; else
  // the next symbol must be the end marker, and anything else means the stream holds more than promised.
  if (status != LZMA_STATUS_MAYBE_FINISHED_WITHOUT_MARK) {
    SizeT in_len = src.size() - in_pos;
    res = LzmaDec_DecodeToDic(decoder.get(), dest.size(), src.data() + in_pos, &in_len, LZMA_FINISH_END,
                              &status);
    in_pos += in_len;
    if (res != SZ_OK) return CodecStatus::kDataError;
    if (status == LZMA_STATUS_NEEDS_MORE_INPUT) return CodecStatus::kInputShort;
    if (status != LZMA_STATUS_FINISHED_WITH_MARK) return CodecStatus::kDataError;
  }
  if (consumed != nullptr) *consumed = in_pos;
  return CodecStatus::kOk;
}

CodecStatus LzmaEncode(std::span<const uint8_t> src, std::span<uint8_t> dest, bool end_marker,
                       std::span<uint8_t, kLzmaPropsSize> props, size_t* written, CodecProgress* progress) {
  *written = 0;
  CLzmaEncProps settings;
  LzmaEncProps_Init(&settings);
  settings.level = kVolumeLevel;
  settings.dictSize = kVolumeDictionary;
  settings.numThreads = 1;
  LzmaEncProps_Normalize(&settings);

  EncoderProgress forward{{ForwardProgress}, progress};
  SizeT dest_len = dest.size();
  SizeT props_len = kLzmaPropsSize;
  const SRes res = ::LzmaEncode(dest.data(), &dest_len, src.data(), src.size(), &settings, props.data(),
                                &props_len, end_marker ? 1 : 0,
                                progress != nullptr ? &forward.vtable : nullptr, &g_alloc, &g_alloc);
  if (res != SZ_OK) return FromSdk(res);
  *written = dest_len;
  return CodecStatus::kOk;
}

}  // namespace tlx::package
