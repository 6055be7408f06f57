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

struct LzmaStreamDecoder::State {
  State() { LzmaDec_Construct(&dec); }
  ~State() { LzmaDec_Free(&dec, &g_alloc); }
  CLzmaDec dec;
  ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
};

LzmaStreamDecoder::LzmaStreamDecoder() : state_(std::make_unique<State>()) {}
LzmaStreamDecoder::~LzmaStreamDecoder() = default;

CodecStatus LzmaStreamDecoder::Start(std::span<const uint8_t, kLzmaPropsSize> props, uint64_t unpacked_size) {
  remaining_ = unpacked_size;
  produced_ = 0;
  finished_ = false;
  // No match reaches further back than the stream is long, so a dictionary longer than the stream is
  // never used: allocate what the stream can use.
  uint8_t own[kLzmaPropsSize];
  std::copy(props.begin(), props.end(), own);
  uint32_t dictionary = uint32_t{own[1]} | uint32_t{own[2]} << 8 | uint32_t{own[3]} << 16 | uint32_t{own[4]} << 24;
  if (dictionary > unpacked_size) dictionary = static_cast<uint32_t>(std::max<uint64_t>(unpacked_size, 1u << 12));
  if (dictionary > kMaxDecodeDictionary) return CodecStatus::kUnsupported;
  for (int i = 0; i < 4; ++i) own[1 + i] = static_cast<uint8_t>(dictionary >> (8 * i));
  const SRes res = LzmaDec_Allocate(&state_->dec, own, kLzmaPropsSize, &g_alloc);
  if (res != SZ_OK) return FromSdk(res);
  LzmaDec_Init(&state_->dec);
  state_->status = LZMA_STATUS_NOT_SPECIFIED;
  return CodecStatus::kOk;
}

CodecStatus LzmaStreamDecoder::Decode(std::span<const uint8_t> src, bool src_ends, size_t max_out, size_t* consumed,
                                      std::span<const uint8_t>* out) {
  *consumed = 0;
  *out = {};
  if (finished_) return CodecStatus::kOk;
  CLzmaDec& dec = state_->dec;
  if (remaining_ != 0) {
    if (dec.dicPos == dec.dicBufSize) dec.dicPos = 0;  // the dictionary is a ring
    const size_t start = dec.dicPos;
    const uint64_t room = std::min<uint64_t>({dec.dicBufSize - start, max_out, remaining_});
    SizeT in_len = src.size();
    const SRes res = LzmaDec_DecodeToDic(&dec, start + static_cast<size_t>(room), src.data(), &in_len,
                                         LZMA_FINISH_ANY, &state_->status);
    *consumed = in_len;
    const size_t made = dec.dicPos - start;
    *out = {dec.dic + start, made};
    remaining_ -= made;
    produced_ += made;
    if (res != SZ_OK) return CodecStatus::kDataError;
    if (remaining_ != 0) {
      if (state_->status == LZMA_STATUS_FINISHED_WITH_MARK) return CodecStatus::kDataError;  // ended early
      if (state_->status == LZMA_STATUS_NEEDS_MORE_INPUT && src_ends && in_len == src.size()) {
        return CodecStatus::kInputShort;
      }
      return CodecStatus::kOk;
    }
    if (state_->status == LZMA_STATUS_MAYBE_FINISHED_WITHOUT_MARK) {
      finished_ = true;
      return CodecStatus::kOk;
    }
    src = src.subspan(in_len);
  }
  // Every promised byte is out: the next symbol must be the end marker, else the stream holds more than
  // it promised.
  SizeT in_len = src.size();
  const SRes res = LzmaDec_DecodeToDic(&dec, dec.dicPos, src.data(), &in_len, LZMA_FINISH_END, &state_->status);
  *consumed += in_len;
  if (res != SZ_OK) return CodecStatus::kDataError;
  if (state_->status == LZMA_STATUS_FINISHED_WITH_MARK || state_->status == LZMA_STATUS_MAYBE_FINISHED_WITHOUT_MARK) {
    finished_ = true;
    return CodecStatus::kOk;
  }
  if (state_->status == LZMA_STATUS_NEEDS_MORE_INPUT) return src_ends ? CodecStatus::kInputShort : CodecStatus::kOk;
  return CodecStatus::kDataError;
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
