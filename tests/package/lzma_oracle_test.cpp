// Our codec against an independent one: Debian's liblzma, raw LZMA1 (with the known-size extension) and
// its x86 filter. Each side decodes what the other encoded, fed whole and in small pieces.
#include <lzma.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "package/lzma_codec.h"
#include "package/volume_container.h"
#include "package/x86_filter.h"
#include "sample_data.h"

namespace tlx::package {
namespace {

using test::Bytes;

struct Feed {
  size_t in_chunk;
  size_t out_chunk;
};
constexpr Feed kWhole{SIZE_MAX, SIZE_MAX};
constexpr Feed kSmall{7, 13};

// liblzma 5.4.1 reports a data error when an end marker after a known size reaches it split across
// input pieces (its own streams too), so the small-piece feed hands over the last bytes in one piece.
constexpr size_t kWholeTail = 32;

// Runs a liblzma raw coder over `in`. True when it reached its stream end (decoder) or finished (encoder).
bool RunLiblzma(bool encode, const lzma_filter* filters, const Bytes& in, Feed feed, Bytes* out) {
  lzma_stream strm = LZMA_STREAM_INIT;
  const lzma_ret init = encode ? lzma_raw_encoder(&strm, filters) : lzma_raw_decoder(&strm, filters);
  if (init != LZMA_OK) return false;
  out->clear();
  size_t in_pos = 0;
  uint8_t buffer[1 << 16];
  lzma_ret ret = LZMA_OK;
  for (;;) {
    const size_t left = in.size() - in_pos;
    const size_t in_now = left <= kWholeTail ? left : std::min(feed.in_chunk, left - kWholeTail);
    strm.next_in = in.data() + in_pos;
    strm.avail_in = in_now;
    strm.next_out = buffer;
    strm.avail_out = std::min(feed.out_chunk, sizeof buffer);
    const bool last = in_pos + in_now == in.size();
    ret = lzma_code(&strm, encode && last ? LZMA_FINISH : LZMA_RUN);
    in_pos += in_now - strm.avail_in;
    out->insert(out->end(), buffer, strm.next_out);
    if (ret != LZMA_OK) break;
    if (strm.avail_in == in_now && strm.next_out == buffer) break;  // no progress: starved
  }
  lzma_end(&strm);
  return ret == LZMA_STREAM_END;
}

lzma_options_lzma DecoderOptions(const ContainerHeader& header) {
  lzma_options_lzma options{};
  const uint8_t b = header.props[0];
  options.lc = b % 9;
  options.lp = b / 9 % 5;
  options.pb = b / 45;
  options.dict_size = uint32_t{header.props[1]} | uint32_t{header.props[2]} << 8 |
                      uint32_t{header.props[3]} << 16 | uint32_t{header.props[4]} << 24;
  options.ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
  lzma_set_ext_size(options, header.unpacked_size);
  return options;
}

// liblzma's decoding of one of our containers.
bool LiblzmaDecodeContainer(const Bytes& container, Feed feed, Bytes* out) {
  ContainerHeader header;
  if (ReadContainerHeader(container, &header) != CodecStatus::kOk) return false;
  lzma_options_lzma options = DecoderOptions(header);
  const lzma_filter with_x86[] = {
      {LZMA_FILTER_X86, nullptr}, {LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  const Bytes stream(container.begin() + kContainerHeaderSize, container.end());
  return RunLiblzma(false, header.filter == 1 ? with_x86 : with_x86 + 1, stream, feed, out);
}

// A container made by liblzma: level 9, 8 MiB dictionary, optional end marker and x86 filter.
Bytes LiblzmaContainer(const Bytes& input, bool x86, bool end_marker, Feed feed) {
  lzma_options_lzma options{};
  EXPECT_FALSE(lzma_lzma_preset(&options, 9));
  options.dict_size = kVolumeDictionary;
  options.ext_flags = end_marker ? LZMA_LZMA1EXT_ALLOW_EOPM : 0;
  const lzma_filter filters[] = {
      {LZMA_FILTER_X86, nullptr}, {LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  Bytes stream;
  EXPECT_TRUE(RunLiblzma(true, x86 ? filters : filters + 1, input, feed, &stream));
  Bytes container = {static_cast<uint8_t>(x86 ? 1 : 0),
                     static_cast<uint8_t>((options.pb * 5 + options.lp) * 9 + options.lc)};
  for (int i = 0; i < 4; ++i) container.push_back(static_cast<uint8_t>(options.dict_size >> (8 * i)));
  for (int i = 0; i < 8; ++i) container.push_back(static_cast<uint8_t>(uint64_t{input.size()} >> (8 * i)));
  container.insert(container.end(), stream.begin(), stream.end());
  return container;
}

Bytes OurContainer(const Bytes& input, bool x86, bool end_marker) {
  Bytes out(PackCapacity(input.size()));
  size_t written = 0;
  EXPECT_EQ(EncodeContainer(input, out, x86 ? VolumeFilter::kX86 : VolumeFilter::kNone, end_marker, &written,
                            nullptr),
            CodecStatus::kOk);
  out.resize(written);
  return out;
}

CodecStatus OurDecode(const Bytes& container, Bytes* out) {
  ContainerHeader header;
  if (ReadContainerHeader(container, &header) != CodecStatus::kOk) return CodecStatus::kInputShort;
  out->assign(header.unpacked_size, 0);
  return DecodeContainer(container, *out, nullptr);
}

const std::vector<Bytes>& Samples() {
  static const std::vector<Bytes> samples = {test::TextSample(1), test::TextSample(17), test::NoiseSample(5000),
                                             test::TextSample(150000), test::BranchSample(60000)};
  return samples;
}

TEST(LzmaOracle, LiblzmaDecodesOurContainers) {
  for (const Bytes& input : Samples()) {
    for (bool x86 : {false, true}) {
      for (bool end_marker : {false, true}) {
        const Bytes container = OurContainer(input, x86, end_marker);
        for (Feed feed : {kWhole, kSmall}) {
          SCOPED_TRACE(testing::Message() << input.size() << " x86 " << x86 << " marker " << end_marker
                                          << " chunk " << feed.in_chunk);
          Bytes out;
          EXPECT_TRUE(LiblzmaDecodeContainer(container, feed, &out));
          EXPECT_EQ(out, input);
        }
      }
    }
  }
}

TEST(LzmaOracle, WeDecodeLiblzmaContainers) {
  for (const Bytes& input : Samples()) {
    for (bool x86 : {false, true}) {
      for (bool end_marker : {false, true}) {
        for (Feed feed : {kWhole, kSmall}) {
          SCOPED_TRACE(testing::Message() << input.size() << " x86 " << x86 << " marker " << end_marker
                                          << " chunk " << feed.in_chunk);
          Bytes out;
          EXPECT_EQ(OurDecode(LiblzmaContainer(input, x86, end_marker, feed), &out), CodecStatus::kOk);
          EXPECT_EQ(out, input);
        }
      }
    }
  }
}

TEST(LzmaOracle, BothRefuseTheSameDamagedContainers) {
  const Bytes input = test::TextSample(40000);
  for (bool end_marker : {false, true}) {
    const Bytes good = OurContainer(input, false, end_marker);
    for (int64_t size_change : {-1000, -1, 1, 1000}) {
      Bytes container = good;
      const uint64_t size = input.size() + size_change;
      for (int i = 0; i < 8; ++i) container[6 + i] = static_cast<uint8_t>(size >> (8 * i));
      Bytes ours, theirs;
      EXPECT_NE(OurDecode(container, &ours), CodecStatus::kOk) << size_change;
      EXPECT_FALSE(LiblzmaDecodeContainer(container, kWhole, &theirs)) << size_change;
    }
    Bytes truncated(good.begin(), good.end() - 3);
    Bytes ours, theirs;
    EXPECT_NE(OurDecode(truncated, &ours), CodecStatus::kOk);
    EXPECT_FALSE(LiblzmaDecodeContainer(truncated, kWhole, &theirs));
  }
}

// Compares our x86 conversion with liblzma's in both directions over `input`.
void ExpectSameX86(const Bytes& input) {
  // Decoding direction: liblzma undoes the conversion on a plain stream of `input`.
  Bytes ours = input;
  X86Convert(ours.data(), ours.size(), 0, false);
  Bytes container = OurContainer(input, false, false);
  container[0] = 1;
  Bytes theirs;
  ASSERT_TRUE(LiblzmaDecodeContainer(container, kWhole, &theirs));
  EXPECT_TRUE(ours == theirs) << "decoding direction differs, size " << input.size();

  // Encoding direction: liblzma converts, our decoder without the filter shows its result.
  ours = input;
  X86Convert(ours.data(), ours.size(), 0, true);
  Bytes converted = LiblzmaContainer(input, true, false, kWhole);
  converted[0] = 0;
  ASSERT_EQ(OurDecode(converted, &theirs), CodecStatus::kOk);
  EXPECT_TRUE(ours == theirs) << "encoding direction differs, size " << input.size();
}

TEST(X86Oracle, SameAsLiblzmaOnBranchHeavyBuffers) {
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    ExpectSameX86(test::BranchSample(1000 + seed * 997, seed));
  }
  for (size_t size : {5, 6, 7, 8, 9}) ExpectSameX86(test::BranchSample(size, 99));
}

Bytes ReadHead(const std::filesystem::path& path, size_t limit) {
  std::ifstream in(path, std::ios::binary);
  Bytes bytes(limit);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(limit));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

TEST(X86Oracle, SameAsLiblzmaOnRealExecutables) {
  // Linux ELF programs and Windows PE programs (Wine's, built with MinGW-w64), first 1.5 MiB of each.
  const char* candidates[] = {"/usr/bin/bash", "/usr/bin/cmake", "/usr/bin/x86_64-w64-mingw32-g++-posix",
                              "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/notepad.exe",
                              "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/regedit.exe"};
  int found = 0;
  for (const char* path : candidates) {
    if (!std::filesystem::exists(path)) continue;
    ++found;
    SCOPED_TRACE(path);
    ExpectSameX86(ReadHead(path, 1536 * 1024));
  }
  if (found == 0) GTEST_SKIP() << "no executables found to compare on";
}

}  // namespace
}  // namespace tlx::package
