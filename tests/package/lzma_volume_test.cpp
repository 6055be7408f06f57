// Volume files: packing and unpacking through mappings, the callback protocol, and no output left
// behind by any failure.
#include "package/lzma_volume.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "package/volume_container.h"
#include "sample_data.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::package {
namespace {

using test::Bytes;

struct Call {
  uint32_t user;
  bool with_adapter;
  uint64_t first;
  uint64_t second;
  uint64_t output_size;  // size of the output file at the time of the call (-1: none)
};

// What the callbacks saw, and the file whose size they note.
std::vector<Call> g_calls;
std::string g_watched;
int g_stop_result = 0;

int Record(uint32_t user, CodecProgress* adapter, uint64_t first, uint64_t second) {
  // The size from the folder entry: the file is open and mapped by the operation at this time.
  std::error_code error;
  const uint64_t size = std::filesystem::file_size(std::filesystem::path(std::u8string(g_watched.begin(), g_watched.end())), error);
  g_calls.push_back({user, adapter != nullptr, first, second, error ? uint64_t(-1) : size});
  return adapter != nullptr ? g_stop_result : 0;
}

class LzmaVolume : public testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    g_stop_result = 0;
    g_watched = Native("out");
  }
  std::string Path(const char* name) const { return drive_.Path(name); }
  std::string Native(const char* name) const { return drive_.NativePath(name); }
  void Write(const char* name, const Bytes& bytes) const { test::WriteNativeFile(Native(name), test::AsString(bytes)); }
  Bytes Read(const char* name) const { return test::AsBytes(test::ReadNativeFile(Native(name))); }
  bool Exists(const char* name) const { return test::NativeExists(Native(name)); }

  Bytes Container(const Bytes& input, VolumeFilter filter = VolumeFilter::kNone) const {
    Bytes out(PackCapacity(input.size()));
    size_t written = 0;
    EXPECT_EQ(EncodeContainer(input, out, filter, false, &written, nullptr), CodecStatus::kOk);
    out.resize(written);
    return out;
  }

  test::TempDrive drive_;
};

TEST_F(LzmaVolume, PackedVolumeUnpacksToTheSameBytes) {
  const Bytes input = test::TextSample(300000);
  Write("in", input);
  const uint32_t packed = PackFile(Path("vol"), Path("in"), nullptr, 0);
  ASSERT_NE(packed, 0u);
  const Bytes volume = Read("vol");
  EXPECT_EQ(volume.size(), packed);
  EXPECT_EQ(volume, Container(input));  // the file operation adds nothing to the in-memory form
  EXPECT_EQ(PackedSize(Path("vol"), 0), input.size());

  EXPECT_EQ(UnpackFile(Path("out"), Path("vol"), 0, nullptr, 0), input.size());
  EXPECT_EQ(Read("out"), input);

  platform::Mapping memory;
  ASSERT_EQ(PackFileToMemory(&memory, Path("in"), nullptr, 0), packed);
  ASSERT_TRUE(memory.valid());
  EXPECT_EQ(Bytes(memory.data(), memory.data() + packed), volume);
  ReleasePacked(&memory);
  EXPECT_FALSE(memory.valid());
  ReleasePacked(&memory);  // harmless twice
}

TEST_F(LzmaVolume, PackingCallsBackInOrderAndCutsTheFile) {
  const Bytes input = test::NoiseSample(1000);
  Write("in", input);
  const uint32_t packed = PackFile(Path("out"), Path("in"), Record, 77);
  ASSERT_NE(packed, 0u);
  ASSERT_GE(g_calls.size(), 2u);
  const Call& first = g_calls.front();
  EXPECT_EQ(first.user, 77u);
  EXPECT_FALSE(first.with_adapter);
  EXPECT_EQ(first.first, 1000u);
  EXPECT_EQ(first.second, 0u);
  for (size_t i = 1; i < g_calls.size(); ++i) {
    EXPECT_EQ(g_calls[i].user, 77u);
    EXPECT_TRUE(g_calls[i].with_adapter);
    EXPECT_EQ(g_calls[i].output_size, 66586u) << "the output is made at its full capacity";
  }
  const Call& last = g_calls.back();
  EXPECT_EQ(last.first, 1000u);
  EXPECT_EQ(last.second, packed);
  EXPECT_EQ(Read("out").size(), packed);
}

TEST_F(LzmaVolume, UnpackingCallsBackInOrder) {
  const Bytes input = test::NoiseSample(2500000);  // three decoding passes
  Write("vol", Container(input));
  ASSERT_EQ(UnpackFile(Path("out"), Path("vol"), 0, Record, 5), input.size());
  ASSERT_GE(g_calls.size(), 4u);
  EXPECT_FALSE(g_calls.front().with_adapter);
  EXPECT_EQ(g_calls.front().first, input.size());
  uint64_t previous = 0;
  for (size_t i = 1; i < g_calls.size(); ++i) {
    EXPECT_TRUE(g_calls[i].with_adapter);
    EXPECT_EQ(g_calls[i].user, 5u);
    EXPECT_GE(g_calls[i].first, previous);
    EXPECT_EQ(g_calls[i].second, 0u);
    previous = g_calls[i].first;
  }
  EXPECT_EQ(g_calls.back().first, input.size());
  EXPECT_EQ(Read("out"), input);
}

TEST_F(LzmaVolume, OnlyTheEncoderHeedsTheCallback) {
  const Bytes input = test::TextSample(200000);
  Write("in", input);
  Write("vol", Container(input));
  g_stop_result = 1;
  EXPECT_EQ(UnpackFile(Path("out"), Path("vol"), 0, Record, 0), input.size());
  EXPECT_EQ(Read("out"), input);

  g_calls.clear();
  EXPECT_EQ(PackFile(Path("out"), Path("in"), Record, 0), 0u);
  EXPECT_FALSE(Exists("out"));
  EXPECT_EQ(g_calls.back().second, 0u) << "a failed packing reports no size";

  platform::Mapping memory;
  EXPECT_EQ(PackFileToMemory(&memory, Path("in"), Record, 0), 0u);
  EXPECT_FALSE(memory.valid());
}

struct UnpackCase {
  const char* name;
  std::function<void(Bytes*)> make;  // turns a good container into the input file's bytes
  uint64_t offset = 0;
  bool succeeds = false;
};

void SetSize(Bytes* c, uint64_t size) {
  for (int i = 0; i < 8; ++i) (*c)[6 + i] = static_cast<uint8_t>(size >> (8 * i));
}

TEST_F(LzmaVolume, UnpackFailuresLeaveNoOutput) {
  const Bytes input = test::BranchSample(40000);
  const Bytes good = Container(input);
  std::vector<UnpackCase> cases = {
      {"empty file", [](Bytes* c) { c->clear(); }},
      {"filter byte 2", [](Bytes* c) { (*c)[0] = 2; }},
      {"unpacked size 0", [](Bytes* c) { SetSize(c, 0); }},
      {"unpacked size 2^32", [&](Bytes* c) { SetSize(c, (uint64_t{1} << 32) + input.size()); }},
      {"unpacked size 2^64-1", [](Bytes* c) { SetSize(c, ~uint64_t{0}); }},
      {"unpacked size below the stream", [&](Bytes* c) { SetSize(c, input.size() - 10); }},
      {"unpacked size above the stream", [&](Bytes* c) { SetSize(c, input.size() + 10); }},
      {"properties byte 225", [](Bytes* c) { (*c)[1] = 225; }},
      {"truncated stream", [](Bytes* c) { c->resize(c->size() - 20); }},
      {"offset past the end", [](Bytes*) {}, 1u << 20},
      {"offset leaves 13 bytes", [](Bytes* c) { c->insert(c->begin(), 50, 0); }, 0},
      {"junk before the container", [](Bytes* c) { c->insert(c->begin(), 50, 0x5A); }, 0, false},
      // And the forms that must work:
      {"whole container", [](Bytes*) {}, 0, true},
      {"container at an offset", [](Bytes* c) { c->insert(c->begin(), 50, 0x5A); }, 50, true},
      {"trailing garbage", [](Bytes* c) { c->insert(c->end(), 30, 0xEE); }, 0, true},
      {"dictionary 0xFFFFFFFF", [](Bytes* c) { std::fill(c->begin() + 2, c->begin() + 6, 0xFF); }, 0, true},
  };
  cases[10].offset = good.size() + 50 - 13;
  for (size_t size = 1; size <= 13; ++size) {
    cases.push_back({"short file", [size](Bytes* c) { c->resize(size); }});
  }
  for (const UnpackCase& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes file = good;
    c.make(&file);
    Write("vol", file);
    Write("out", test::AsBytes("an earlier volume"));
    const uint32_t result = UnpackFile(Path("out"), Path("vol"), c.offset, nullptr, 0);
    if (c.succeeds) {
      EXPECT_EQ(result, input.size());
      EXPECT_EQ(Read("out"), input);
    } else {
      EXPECT_EQ(result, 0u);
      EXPECT_FALSE(Exists("out"));
    }
  }
  Write("out", test::AsBytes("x"));
  EXPECT_EQ(UnpackFile(Path("out"), Path("missing"), 0, nullptr, 0), 0u);
  EXPECT_FALSE(Exists("out"));
  EXPECT_EQ(UnpackFile(Path("no folder\\out"), Path("vol"), 0, nullptr, 0), 0u);
}

TEST_F(LzmaVolume, FilterByteOneIsConvertedBack) {
  const Bytes input = test::BranchSample(30000);
  Write("vol", Container(input, VolumeFilter::kX86));
  ASSERT_EQ(UnpackFile(Path("out"), Path("vol"), 0, nullptr, 0), input.size());
  EXPECT_EQ(Read("out"), input);
}

TEST_F(LzmaVolume, PackFailuresLeaveNoOutput) {
  Write("empty", {});
  for (const char* input : {"missing", "empty"}) {
    Write("out", test::AsBytes("old"));
    EXPECT_EQ(PackFile(Path("out"), Path(input), nullptr, 0), 0u) << input;
    EXPECT_FALSE(Exists("out")) << input;
    platform::Mapping memory;
    EXPECT_EQ(PackFileToMemory(&memory, Path(input), nullptr, 0), 0u);
    EXPECT_FALSE(memory.valid());
  }
}

TEST_F(LzmaVolume, PackedSizeReadsTheHeaderAtAnOffset) {
  Bytes file(7, 0);
  const Bytes container = Container(test::TextSample(1234));
  file.insert(file.end(), container.begin(), container.begin() + 14);
  Write("vol", file);
  EXPECT_EQ(PackedSize(Path("vol"), 7), 1234u);
  EXPECT_EQ(PackedSize(Path("vol"), 8), 0u);  // 13 bytes left
  EXPECT_EQ(PackedSize(Path("missing"), 0), 0u);
}

}  // namespace
}  // namespace tlx::package
