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

namespace {

void VolumeEncoderSettings(CLzmaEncProps* settings, bool end_marker) {
  LzmaEncProps_Init(settings);
  settings->level = kVolumeLevel;
  settings->dictSize = kVolumeDictionary;
  settings->numThreads = 1;
  settings->writeEndMark = end_marker ? 1 : 0;
  LzmaEncProps_Normalize(settings);
}

// Owner of an SDK encoder.
class Encoder {
 public:
  Encoder() : handle_(LzmaEnc_Create(&g_alloc)) {}
  ~Encoder() {
    if (handle_ != nullptr) LzmaEnc_Destroy(handle_, &g_alloc, &g_alloc);
  }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;
  CLzmaEncHandle get() const { return handle_; }

 private:
  CLzmaEncHandle handle_;
};

// The SDK's stream interfaces, forwarding to ours and remembering which side failed.
struct InputAdapter {
  ISeqInStream vtable;
  EncoderInput* target;
  bool failed;
};

SRes ReadInput(void* self, void* data, size_t* size) {
  auto* input = static_cast<InputAdapter*>(self);
  if (*size == 0) return SZ_OK;
  size_t done = 0;
  if (!input->target->Read(static_cast<uint8_t*>(data), *size, &done) || done > *size) {
    input->failed = true;
    *size = 0;
    return SZ_ERROR_READ;
  }
  *size = done;
  return SZ_OK;
}

struct OutputAdapter {
  ISeqOutStream vtable;
  EncoderOutput* target;
  bool failed;
};

size_t WriteOutput(void* self, const void* data, size_t size) {
  auto* output = static_cast<OutputAdapter*>(self);
  if (output->failed) return 0;
  if (!output->target->Write({static_cast<const uint8_t*>(data), size})) {
    output->failed = true;
    return 0;
  }
  return size;
}

}  // namespace

void VolumeLzmaProps(std::span<uint8_t, kLzmaPropsSize> props) {
  CLzmaEncProps settings;
  VolumeEncoderSettings(&settings, false);
  // The properties are the lc/lp/pb byte and the dictionary size, as LzmaEnc_WriteProperties writes
  // them for these settings (it rounds the dictionary up to 2^n or 3 x 2^n; 8 MiB stays).
  Encoder encoder;
  SizeT size = kLzmaPropsSize;
  if (encoder.get() == nullptr || LzmaEnc_SetProps(encoder.get(), &settings) != SZ_OK ||
      LzmaEnc_WriteProperties(encoder.get(), props.data(), &size) != SZ_OK) {
    std::fill(props.begin(), props.end(), uint8_t{0});
  }
}

CodecStatus LzmaEncodeStream(EncoderInput& input, EncoderOutput& output, bool end_marker, CodecProgress* progress) {
  CLzmaEncProps settings;
  VolumeEncoderSettings(&settings, end_marker);
  Encoder encoder;
  if (encoder.get() == nullptr) return CodecStatus::kOutOfMemory;
  SRes res = LzmaEnc_SetProps(encoder.get(), &settings);
  if (res != SZ_OK) return FromSdk(res);
  InputAdapter in{{ReadInput}, &input, false};
  OutputAdapter out{{WriteOutput}, &output, false};
  EncoderProgress forward{{ForwardProgress}, progress};
  res = LzmaEnc_Encode(encoder.get(), &out.vtable, &in.vtable, progress != nullptr ? &forward.vtable : nullptr,
                       &g_alloc, &g_alloc);
  if (in.failed) return CodecStatus::kDataError;
  if (out.failed) return CodecStatus::kOutputShort;
  return FromSdk(res);
}

CodecStatus LzmaEncode(std::span<const uint8_t> src, std::span<uint8_t> dest, bool end_marker,
                       std::span<uint8_t, kLzmaPropsSize> props, size_t* written, CodecProgress* progress) {
  *written = 0;
  CLzmaEncProps settings;
  VolumeEncoderSettings(&settings, end_marker);

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
