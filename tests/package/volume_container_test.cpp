// The LZMA codec and the 14-byte container in memory: round trips, progress, and hostile containers.
#include "package/volume_container.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "package/x86_filter.h"
#include "packed_container.h"
#include "sample_data.h"

namespace tlx::package {
namespace {

using test::Bytes;

using test::PackContainer;

// Decodes into a buffer of `size` bytes followed by a guard that must stay untouched.
CodecStatus Unpack(const Bytes& container, uint64_t size, Bytes* out) {
  constexpr size_t kGuard = 64;
  Bytes buffer(size + kGuard, 0xA5);
  const CodecStatus status = DecodeContainer(container, {buffer.data(), static_cast<size_t>(size)}, nullptr);
  for (size_t i = size; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xA5) << "written past the output";
  buffer.resize(size);
  *out = std::move(buffer);
  return status;
}

uint64_t HeaderSize(const Bytes& container) {
  ContainerHeader header;
  EXPECT_EQ(ReadContainerHeader(container, &header), CodecStatus::kOk);
  return header.unpacked_size;
}

void SetHeaderSize(Bytes* container, uint64_t size) {
  for (int i = 0; i < 8; ++i) (*container)[6 + i] = static_cast<uint8_t>(size >> (8 * i));
}

TEST(VolumeContainer, RoundTripsEveryFormAndSize) {
  const Bytes samples[] = {test::TextSample(1), test::TextSample(5), test::NoiseSample(4095),
                           test::TextSample(200000), test::BranchSample(70001)};
  for (const Bytes& input : samples) {
    for (VolumeFilter filter : {VolumeFilter::kNone, VolumeFilter::kX86}) {
      for (bool end_marker : {false, true}) {
        SCOPED_TRACE(testing::Message() << "size " << input.size() << " filter " << int(filter)
                                        << " marker " << end_marker);
        const Bytes container = PackContainer(input, filter, end_marker);
        EXPECT_EQ(container[0], static_cast<uint8_t>(filter));
        EXPECT_EQ(HeaderSize(container), input.size());
        Bytes out;
        ASSERT_EQ(Unpack(container, input.size(), &out), CodecStatus::kOk);
        EXPECT_EQ(out, input);
      }
    }
  }
}

TEST(VolumeContainer, VolumesUseTheFixedSettings) {
  const Bytes container = PackContainer(test::TextSample(10000));
  // lc 3, lp 0, pb 2 and an 8 MiB dictionary, whatever the input size.
  EXPECT_EQ(container[1], 0x5D);
  EXPECT_EQ((Bytes{container.begin() + 2, container.begin() + 6}), (Bytes{0x00, 0x00, 0x80, 0x00}));
}

TEST(VolumeContainer, FilterByteDecidesTheConversion) {
  const Bytes input = test::BranchSample(5000);
  Bytes converted = input;
  X86Convert(converted.data(), converted.size(), 0, true);
  ASSERT_NE(converted, input);
  Bytes container = PackContainer(converted);  // a stream of the converted bytes, announced as unconverted
  Bytes out;
  ASSERT_EQ(Unpack(container, input.size(), &out), CodecStatus::kOk);
  EXPECT_EQ(out, converted);
  container[0] = 1;  // the same stream announced as converted is turned back
  ASSERT_EQ(Unpack(container, input.size(), &out), CodecStatus::kOk);
  EXPECT_EQ(out, input);
}

struct HostileCase {
  const char* name;
  std::function<void(Bytes*)> mutate;  // applied to a good container of kInput
  CodecStatus expected;
  int64_t size_change = 0;             // output buffer size relative to the true size
};

TEST(VolumeContainer, RefusesHostileContainers) {
  const Bytes input = test::TextSample(30000);
  const HostileCase cases[] = {
      {"empty", [](Bytes* c) { c->clear(); }, CodecStatus::kInputShort},
      {"13 bytes", [](Bytes* c) { c->resize(13); }, CodecStatus::kInputShort},
      {"header only", [](Bytes* c) { c->resize(14); }, CodecStatus::kInputShort},
      {"filter byte 2", [](Bytes* c) { (*c)[0] = 2; }, CodecStatus::kUnsupported},
      {"properties byte 225", [](Bytes* c) { (*c)[1] = 225; }, CodecStatus::kUnsupported},
      {"properties byte 255", [](Bytes* c) { (*c)[1] = 255; }, CodecStatus::kUnsupported},
      {"truncated stream", [](Bytes* c) { c->resize(c->size() / 2); }, CodecStatus::kInputShort},
      {"last byte missing", [](Bytes* c) { c->pop_back(); }, CodecStatus::kInputShort},
      {"size one short", [&](Bytes* c) { SetHeaderSize(c, input.size() - 1); }, CodecStatus::kDataError,
       -1},
      {"size half", [&](Bytes* c) { SetHeaderSize(c, input.size() / 2); }, CodecStatus::kDataError,
       -int64_t(input.size() / 2)},
      {"size one over", [&](Bytes* c) { SetHeaderSize(c, input.size() + 1); }, CodecStatus::kInputShort,
       1},
      {"output not the header's size", [](Bytes*) {}, CodecStatus::kOutputShort, 1},
  };
  const Bytes good = PackContainer(input);
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes container = good;
    c.mutate(&container);
    Bytes out;
    EXPECT_EQ(Unpack(container, input.size() + c.size_change, &out), c.expected);
  }
}

TEST(VolumeContainer, EndMarkerIsAllowedOnlyAtTheEnd) {
  const Bytes input = test::TextSample(30000);
  Bytes container = PackContainer(input, VolumeFilter::kNone, true);
  Bytes out;
  SetHeaderSize(&container, input.size() + 100);  // the marker comes 100 bytes early
  EXPECT_EQ(Unpack(container, input.size() + 100, &out), CodecStatus::kDataError);
  SetHeaderSize(&container, input.size() - 100);  // the stream goes on where the marker should be
  EXPECT_EQ(Unpack(container, input.size() - 100, &out), CodecStatus::kDataError);
}

TEST(VolumeContainer, AcceptsTrailingBytesAndAnyDictionarySize) {
  const Bytes input = test::TextSample(30000);
  for (bool end_marker : {false, true}) {
    Bytes container = PackContainer(input, VolumeFilter::kNone, end_marker);
    container.insert(container.end(), {0x00, 0xFF, 0x12, 0x34, 0x56});  // unrelated bytes after the stream
    std::fill(container.begin() + 2, container.begin() + 6, 0xFF);  // dictionary 0xFFFFFFFF
    Bytes out;
    ASSERT_EQ(Unpack(container, input.size(), &out), CodecStatus::kOk) << end_marker;
    EXPECT_EQ(out, input);
  }
}

TEST(VolumeContainer, CorruptStreamsNeverWritePastTheOutput) {
  const Bytes input = test::TextSample(20000);
  const Bytes good = PackContainer(input);
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    Bytes container = good;
    const size_t flips = 1 + random() % 4;
    for (size_t i = 0; i < flips; ++i) {
      container[15 + random() % (container.size() - 15)] ^= static_cast<uint8_t>(1 + random() % 255);
    }
    Bytes out;
    const CodecStatus status = Unpack(container, input.size(), &out);  // the guard is checked inside
    if (status == CodecStatus::kOk) {
      EXPECT_EQ(out.size(), input.size());
    }
  }
}

class RecordingProgress : public CodecProgress {
 public:
  explicit RecordingProgress(uint64_t stop_after = UINT64_MAX) : stop_after_(stop_after) {}
  bool Report(uint64_t in_done, uint64_t out_done) override {
    calls.push_back({in_done, out_done});
    return calls.size() < stop_after_;
  }
  std::vector<std::pair<uint64_t, uint64_t>> calls;

 private:
  uint64_t stop_after_;
};

TEST(VolumeContainer, ProgressGrowsToTheEndAndCanStopTheEncoder) {
  const Bytes input = test::NoiseSample(3 << 20);
  Bytes container(PackCapacity(input.size()));
  size_t written = 0;
  RecordingProgress encoding;
  ASSERT_EQ(EncodeContainer(input, container, VolumeFilter::kNone, false, &written, &encoding),
            CodecStatus::kOk);
  container.resize(written);
  ASSERT_GE(encoding.calls.size(), 2u);
  for (size_t i = 1; i < encoding.calls.size(); ++i) {
    EXPECT_GE(encoding.calls[i].first, encoding.calls[i - 1].first);
    EXPECT_GE(encoding.calls[i].second, encoding.calls[i - 1].second);
  }

  RecordingProgress decoding;
  Bytes out(input.size());
  ASSERT_EQ(DecodeContainer(container, out, &decoding), CodecStatus::kOk);
  ASSERT_GE(decoding.calls.size(), 3u);  // one per pass of at most 1 MiB
  EXPECT_EQ(decoding.calls.back().second, input.size());
  EXPECT_EQ(out, input);

  Bytes again(PackCapacity(input.size()));
  RecordingProgress stopper(1);
  EXPECT_EQ(EncodeContainer(input, again, VolumeFilter::kNone, false, &written, &stopper),
            CodecStatus::kStopped);
  EXPECT_EQ(written, 0u);
}

TEST(VolumeContainer, CapacityHoldsIncompressibleInput) {
  EXPECT_EQ(PackCapacity(1000), 66586u);
  for (size_t size : {size_t{1}, size_t{19}, size_t{100000}, size_t{1} << 20}) {
    const Bytes input = test::NoiseSample(size);
    Bytes container(PackCapacity(size));
    size_t written = 0;
    EXPECT_EQ(EncodeContainer(input, container, VolumeFilter::kNone, false, &written, nullptr),
              CodecStatus::kOk);
    Bytes too_small(written - 1);
    EXPECT_EQ(EncodeContainer(input, too_small, VolumeFilter::kNone, false, &written, nullptr),
              CodecStatus::kOutputShort);
  }
  Bytes tiny(13);
  size_t written = 0;
  EXPECT_EQ(EncodeContainer(test::TextSample(10), tiny, VolumeFilter::kNone, false, &written, nullptr),
            CodecStatus::kOutputShort);
}

TEST(X86Filter, RoundTripsAndLeavesShortBuffersAlone) {
  for (size_t size : {0, 1, 4, 5, 6, 9, 100, 65537}) {
    const Bytes input = test::BranchSample(size, static_cast<uint32_t>(size));
    for (uint32_t start : {0u, 0x1000u, 0xFFFFFFF0u}) {
      Bytes data = input;
      X86Convert(data.data(), data.size(), start, true);
      if (size < 5) {
        EXPECT_EQ(data, input);
      }
      X86Convert(data.data(), data.size(), start, false);
      EXPECT_EQ(data, input) << size << " " << start;
    }
  }
}

TEST(X86Filter, ConvertsACallToItsAbsoluteTarget) {
  // call +0x10 at position 0x20: the next instruction is at 0x25, the target at 0x35.
  Bytes data(0x30, 0x90);
  data[0x20] = 0xE8;
  data[0x21] = 0x10;
  data[0x22] = data[0x23] = data[0x24] = 0x00;
  X86Convert(data.data(), data.size(), 0, true);
  EXPECT_EQ((Bytes{data.begin() + 0x21, data.begin() + 0x25}), (Bytes{0x35, 0x00, 0x00, 0x00}));
  data[0x24] = 0x12;  // a far displacement is no near branch: left alone
  const Bytes far = data;
  X86Convert(data.data(), data.size(), 0, true);
  EXPECT_EQ(data, far);
}

// The encoding conversion fed in pieces gives what the whole run gives, whatever the pieces.
TEST(X86Filter, EncodingInPiecesMatchesTheWholeRun) {
  const Bytes input = test::BranchSample(300000);
  Bytes whole = input;
  X86Convert(whole.data(), whole.size(), 0, true);
  uint64_t converted_whole = 0;
  for (size_t piece : {1, 2, 4, 5, 6, 13, 4096, 300000}) {
    X86StreamEncoder converter;
    Bytes out, held;
    for (size_t pos = 0; pos < input.size(); pos += piece) {
      held.insert(held.end(), input.begin() + pos, input.begin() + std::min(input.size(), pos + piece));
      const size_t done = converter.Convert(held.data(), held.size());
      out.insert(out.end(), held.begin(), held.begin() + done);
      held.erase(held.begin(), held.begin() + done);
    }
    out.insert(out.end(), held.begin(), held.end());
    EXPECT_TRUE(out == whole) << "pieces of " << piece;
    if (piece == 1) converted_whole = converter.converted();
    EXPECT_EQ(converter.converted(), converted_whole) << "pieces of " << piece;
  }
  EXPECT_GT(converted_whole, 1000u);
}

// Input handed out in pieces of a fixed size, optionally failing or ending early.
class PieceInput final : public EncoderInput {
 public:
  PieceInput(const Bytes& bytes, size_t piece, size_t fail_at = SIZE_MAX) : bytes_(bytes), piece_(piece), fail_at_(fail_at) {}
  bool Read(uint8_t* data, size_t size, size_t* done) override {
    if (pos_ >= fail_at_) return false;
    *done = std::min({size, piece_, bytes_.size() - pos_});
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_), *done, data);
    pos_ += *done;
    return true;
  }

 private:
  const Bytes& bytes_;
  size_t piece_, fail_at_, pos_ = 0;
};

class CollectOutput final : public EncoderOutput {
 public:
  explicit CollectOutput(size_t limit = SIZE_MAX) : limit_(limit) {}
  bool Write(std::span<const uint8_t> bytes) override {
    if (got.size() + bytes.size() > limit_) return false;
    got.insert(got.end(), bytes.begin(), bytes.end());
    return true;
  }
  Bytes got;

 private:
  size_t limit_;
};

// What the builder relies on for reproducible volumes: the streaming encoder makes the container that
// the whole-buffer encoder makes, byte for byte, whatever pieces the input comes in.
TEST(VolumeContainer, StreamEncodingGivesTheWholeEncodingsBytes) {
  const Bytes samples[] = {test::TextSample(1), test::NoiseSample(4095), test::TextSample(200000),
                           test::BranchSample(70001), test::BranchSample(600000, 5)};
  for (const Bytes& input : samples) {
    for (VolumeFilter filter : {VolumeFilter::kNone, VolumeFilter::kX86}) {
      const Bytes whole = test::PackContainer(input, filter);
      uint64_t converted_seen = 0;
      for (size_t piece : {size_t{65536}, size_t{4097}, size_t{7}}) {
        if (piece < 4096 && input.size() > 5000) continue;  // tiny pieces of a large input: slow, nothing new
        SCOPED_TRACE(testing::Message() << "size " << input.size() << " filter " << int(filter) << " pieces of " << piece);
        PieceInput in(input, piece);
        CollectOutput out;
        uint64_t converted = 0;
        ASSERT_EQ(EncodeContainerStream(in, input.size(), out, filter, &converted, nullptr), CodecStatus::kOk);
        EXPECT_TRUE(out.got == whole);
        if (piece == 65536) converted_seen = converted;
        EXPECT_EQ(converted, converted_seen);  // counted alike, converting or only scanning
      }
    }
  }
}

TEST(VolumeContainer, StreamEncodingReportsWhichSideFailed) {
  const Bytes input = test::TextSample(100000);
  const Bytes whole = test::PackContainer(input);
  struct Case {
    const char* what;
    size_t fail_at, size_told, output_limit;
    CodecStatus status;
  } cases[] = {
      {"input fails", 5000, input.size(), SIZE_MAX, CodecStatus::kDataError},
      {"input shorter than told", SIZE_MAX, input.size() + 1, SIZE_MAX, CodecStatus::kDataError},
      {"input longer than told", SIZE_MAX, input.size() - 1, SIZE_MAX, CodecStatus::kDataError},
      {"output refuses the header", SIZE_MAX, input.size(), 10, CodecStatus::kOutputShort},
      {"output refuses the stream", SIZE_MAX, input.size(), whole.size() / 2, CodecStatus::kOutputShort},
  };
  for (const Case& c : cases) {
    PieceInput in(input, 1000, c.fail_at);
    CollectOutput out(c.output_limit);
    EXPECT_EQ(EncodeContainerStream(in, c.size_told, out, VolumeFilter::kNone, nullptr, nullptr), c.status) << c.what;
  }
}

}  // namespace
}  // namespace tlx::package
