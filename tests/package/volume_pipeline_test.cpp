// The volume pipeline: whatever the threads and the memory limits, the caller sees every volume in
// order with the same state and the same decoded bytes as one thread gives; a caller that stops or a
// sink that refuses ends cleanly.
#include "package/volume_pipeline.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "messages/zerror.h"
#include "package/volume_checksum.h"
#include "packed_container.h"
#include "package/volume_blocks.h"
#include "platform/config.h"
#include "platform/error.h"
#include "sample_data.h"
#include "store/sfile.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::package {
namespace {

// A sink keeping what it is given, refusing after `refuse_after` bytes when set.
class KeepingSink final : public DecodedSink {
 public:
  bool Write(std::span<const uint8_t> bytes) override {
    if (refuse_after && bytes_.size() + bytes.size() > *refuse_after) {
      platform::SetLastError(platform::err::kDiskFull);
      return false;
    }
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return true;
  }
  std::optional<size_t> refuse_after;
  test::Bytes bytes_;
};

// What the caller saw of one volume.
struct Seen {
  std::string name;
  VolumeState state;
  bool header_holds = false;
  StreamEnd end = StreamEnd::kDone;
  test::Bytes bytes;
  bool operator==(const Seen&) const = default;
};

class VolumePipelineTest : public ::testing::Test {
 protected:
  // A volume file holding `packed`, with the table record its bytes give (or `record_of` others).
  void Add(const std::string& name, const test::Bytes& packed, bool write = true, bool has_record = true) {
    VolumeToCheck volume;
    volume.name = name;
    volume.path = drive_.Path(name);
    volume.has_record = has_record;
    VolumeChecksum(packed.size(), packed.data(), &volume.lo, &volume.hi);
    if (write) test::WriteNativeFile(drive_.NativePath(name), test::AsString(packed));
    volumes_.push_back(volume);
  }

  std::vector<Seen> RunAll(unsigned threads, PipelineLimits limits = {}, std::optional<size_t> refuse_in = {},
                           std::optional<size_t> refuse_after = {}) {
    std::vector<Seen> seen;
    VolumePipeline pipeline(threads, limits);
    pipeline.Run(volumes_, [&](const VolumeToCheck& volume, DecodedVolume& decoded) {
      Seen one{volume.name, decoded.State(), false, StreamEnd::kDone, {}};
      one.header_holds = decoded.HeaderHolds();
      if (one.header_holds) {
        KeepingSink sink;
        if (refuse_in && *refuse_in == seen.size()) sink.refuse_after = refuse_after;
        one.end = decoded.Drain(sink).end;
        one.bytes = std::move(sink.bytes_);
      }
      seen.push_back(std::move(one));
    });
    return seen;
  }

  test::TempDrive drive_;
  std::vector<VolumeToCheck> volumes_;
};

// Limits small enough that every wait of the pipeline is met with these volumes: a volume read
// twice, decoded bytes held back, the taken volume's queue full.
constexpr PipelineLimits kTightLimits{64 << 10, 256 << 10, 128 << 10};

TEST_F(VolumePipelineTest, HandsEveryVolumeBackInOrderAsOneThreadDoes) {
  std::vector<test::Bytes> contents;
  for (uint32_t i = 0; i < 9; ++i) contents.push_back(test::TextSample(150000 + 91000 * i, i));
  contents[4] = test::NoiseSample(700000, 4);  // packed larger than the tight read-once limit
  contents[6] = test::BranchSample(400000, 6);
  for (size_t i = 0; i < contents.size(); ++i) {
    const std::string name = "v" + std::to_string(i);
    const VolumeFilter filter = i == 6 ? VolumeFilter::kX86 : VolumeFilter::kNone;
    test::Bytes packed = test::PackContainer(contents[i], filter);
    switch (i) {
      case 2:  // missing
        Add(name, packed, false);
        break;
      case 3:  // damaged after its checksum was taken
        Add(name, packed);
        packed[packed.size() / 2] ^= 0x55;
        test::WriteNativeFile(drive_.NativePath(name), test::AsString(packed));
        break;
      case 5:  // no record in the table
        Add(name, packed, true, false);
        break;
      case 7:  // its checksum holds, its stream does not
        packed[packed.size() / 2] ^= 0x55;
        Add(name, packed);
        break;
      case 8:  // its header names no stream to decode
        packed[0] = 0x7F;
        Add(name, packed);
        break;
      default:
        Add(name, packed);
    }
  }
  const std::vector<Seen> one = RunAll(1);
  ASSERT_EQ(one.size(), contents.size());
  const VolumeState expected[] = {VolumeState::kGood, VolumeState::kGood,    VolumeState::kMissing,
                                  VolumeState::kDamaged, VolumeState::kGood, VolumeState::kNoChecksum,
                                  VolumeState::kGood, VolumeState::kGood,    VolumeState::kGood};
  for (size_t i = 0; i < one.size(); ++i) {
    EXPECT_EQ(one[i].state, expected[i]) << i;
    if (i == 0 || i == 1 || i == 4 || i == 6) {
      EXPECT_EQ(one[i].end, StreamEnd::kDone) << i;
      EXPECT_TRUE(one[i].bytes == contents[i]) << i;
    }
  }
  EXPECT_EQ(one[7].end, StreamEnd::kDamaged);
  EXPECT_FALSE(one[8].header_holds);
  for (unsigned threads : {2u, 4u}) {
    EXPECT_TRUE(RunAll(threads) == one) << threads << " threads";
    EXPECT_TRUE(RunAll(threads, kTightLimits) == one) << threads << " threads, tight limits";
  }
  EXPECT_TRUE(RunAll(1, kTightLimits) == one);
}

TEST_F(VolumePipelineTest, ACallerThatStopsOrASinkThatRefusesEndsCleanly) {
  for (uint32_t i = 0; i < 6; ++i) {
    Add("v" + std::to_string(i), test::PackContainer(test::TextSample(300000, i)));
  }
  for (unsigned threads : {1u, 3u}) {
    for (const PipelineLimits& limits : {PipelineLimits{}, kTightLimits}) {
      // The caller raises at the third volume: the run ends there, the workers stop.
      std::vector<std::string> taken;
      VolumePipeline pipeline(threads, limits);
      EXPECT_THROW(pipeline.Run(volumes_,
                                [&](const VolumeToCheck& volume, DecodedVolume&) {
                                  taken.push_back(volume.name);
                                  if (taken.size() == 3) messages::RaiseMsg("stop", 0);
                                }),
                   messages::ZError);
      EXPECT_EQ(taken, (std::vector<std::string>{"v0", "v1", "v2"}));

      // A sink refusing inside the second volume: that volume fails, the others are whole.
      const std::vector<Seen> seen = RunAll(threads, limits, 1, 1000);
      ASSERT_EQ(seen.size(), 6u);
      for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].end, i == 1 ? StreamEnd::kSinkFailed : StreamEnd::kDone) << threads << " " << i;
        if (i != 1) {
          EXPECT_TRUE(seen[i].bytes == test::TextSample(300000, static_cast<uint32_t>(i))) << i;
        }
      }
    }
  }
}

// What a caller appending each volume to an install buffer ends with: every volume's state and
// error, and the buffer's bytes.
struct Appended {
  std::vector<std::string> lines;
  std::string buffer;
  bool operator==(const Appended&) const = default;
};

class PlacementTest : public VolumePipelineTest {
 protected:
  PlacementTest() : saved_(platform::CurrentConfig()) {}
  ~PlacementTest() override { platform::Configure(saved_); }

  // Volumes as `images` (unpacked), each packed on its own; "missing" leaves volume `missing` out.
  void AddImages(const std::vector<std::string>& images, std::optional<size_t> missing = {}) {
    for (size_t i = 0; i < images.size(); ++i) {
      Add("v" + std::to_string(i), test::PackContainer(test::AsBytes(images[i])), !missing || *missing != i);
    }
  }

  // The caller of the verifying kind: a volume whose appending raises is noted and the run goes on.
  // `leave_out`: a good volume the caller does not append.
  Appended AppendAll(unsigned threads, PipelineLimits limits, std::optional<size_t> leave_out = {}) {
    Appended out;
    const std::string path = drive_.Path("InsBf");
    {
      store::SFile buffer(path, store::kSFileCreateReplace);
      const BufferPlacement placement{buffer, path, [](const VolumeToCheck& volume) { return volume.name; }};
      VolumePipeline(threads, limits)
          .Run(
              volumes_,
              [&](const VolumeToCheck& volume, DecodedVolume& decoded) {
                const VolumeState state = decoded.State();
                out.lines.push_back(volume.name + " " + std::to_string(static_cast<int>(state)));
                if (state != VolumeState::kGood || (leave_out && volume.name == "v" + std::to_string(*leave_out))) return;
                try {
                  AppendDecodedVolume(decoded, buffer, path, volume.path, volume.name);
                } catch (const messages::ZError& error) {
                  out.lines.push_back(error.what());
                }
              },
              &placement);
      buffer.Close();
    }
    out.buffer = test::ReadNativeFile(drive_.NativePath("InsBf"));
    return out;
  }

  void SetFree(uint64_t bytes) {
    platform::PlatformConfig config = platform::CurrentConfig();
    for (auto& drive : config.drives) {
      if (drive.letter == 'c') drive.free_bytes = bytes;
    }
    platform::Configure(config);
  }

  platform::PlatformConfig saved_;
};

// Large volumes written by their workers straight into the buffer give the bytes and the errors one
// thread gives: volumes as the builder makes them (each at the place their full blocks predict),
// volumes whose blocks are short (each placed wrongly, decoded again at its true place, what the
// workers wrote past the end cut off), a missing volume and block errors among them.
TEST_F(PlacementTest, WritesVolumesStraightIntoTheBufferAsOneThreadDoes) {
  test::Bytes payload = test::TextSample(900000, 1);
  const test::Bytes noise = test::NoiseSample(400000, 2);
  payload.insert(payload.begin() + 300000, noise.begin(), noise.end());
  const std::string text = test::AsString(payload);
  // Short blocks, as another builder may make them: 16000 payload bytes in every block.
  std::vector<std::string> short_blocks;
  for (size_t at = 0; at < text.size();) {
    std::string image;
    for (int block = 0; block < 16 && at < text.size(); ++block, at += 16000) {
      const std::string part = text.substr(at, 16000);
      std::string bytes(kVolumeBlockSize, '\0');
      bytes[0] = static_cast<char>(part.size() & 0xFF);
      bytes[1] = static_cast<char>(part.size() >> 8);
      bytes.replace(2, part.size(), part);
      image += bytes;
    }
    short_blocks.push_back(image);
  }
  std::vector<std::string> with_errors = VolumeImages(text, 16);
  ASSERT_EQ(with_errors.size(), 5u);
  with_errors[3][2 * kVolumeBlockSize] = static_cast<char>(0xFF);  // block 2 longer than a block
  with_errors[3][2 * kVolumeBlockSize + 1] = static_cast<char>(0xFF);
  with_errors[4].resize(with_errors[4].size() - 100);  // its last block shorter than its length
  const struct {
    const char* name;
    std::vector<std::string> images;
    std::optional<size_t> missing;
    std::optional<size_t> leave_out;  // a good volume the caller passes over
  } cases[] = {
      {"as the builder makes them", VolumeImages(text, 16), {}, {}},
      {"short blocks", short_blocks, {}, {}},
      {"a volume the caller passes over", VolumeImages(text, 16), {}, 1},
      {"a missing volume and block errors", with_errors, 1, {}},  // last: its volumes stay for below
  };
  PipelineLimits placing;
  placing.place_from = 0;
  PipelineLimits placing_tight = kTightLimits;
  placing_tight.place_from = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    volumes_.clear();
    AddImages(c.images, c.missing);
    const Appended one = AppendAll(1, placing, c.leave_out);
    if (!c.missing && !c.leave_out) {
      EXPECT_EQ(one.buffer.size(), text.size());
      EXPECT_TRUE(one.buffer == text);
    }
    for (unsigned threads : {2u, 4u}) {
      EXPECT_EQ(AppendAll(threads, placing, c.leave_out), one) << threads << " threads";
      EXPECT_EQ(AppendAll(threads, placing_tight, c.leave_out), one) << threads << " threads, tight limits";
    }
  }
  // The errors are the ones the blocks give, at their volumes.
  const Appended errors = AppendAll(2, placing);
  ASSERT_EQ(errors.lines.size(), with_errors.size() + 2);
  EXPECT_NE(errors.lines[1].find("v1"), std::string::npos);  // missing: no error line of its own
  const std::string joined = [&] {
    std::string all;
    for (const std::string& line : errors.lines) all += line + "\n";
    return all;
  }();
  EXPECT_NE(joined.find("Файл v3 - блок 2 короче своей длины 65535"), std::string::npos) << joined;
  EXPECT_NE(joined.find("Файл v4 - блок"), std::string::npos) << joined;
}

#ifndef _WIN32
// A drive without room for the volumes up to a large one keeps it out of the workers' writing: it
// goes through the budget and the caller's own check of the room, which fails naming the volume.
TEST_F(PlacementTest, ADriveWithoutRoomKeepsVolumesToTheCaller) {
  const std::string text = test::AsString(test::TextSample(1200000, 3));
  AddImages(VolumeImages(text, 16));
  PipelineLimits placing;
  placing.place_from = 0;
  SetFree(text.size() * 3 / 4);
  const Appended tight = AppendAll(2, placing);
  EXPECT_TRUE(tight == AppendAll(1, placing));
  bool disk_full = false;
  for (const std::string& line : tight.lines) {
    disk_full = disk_full || line.find(platform::SystemMessage(platform::err::kDiskFull)) != std::string::npos;
  }
  EXPECT_FALSE(disk_full);  // the promises fit one by one: only the room for all of them at once is missing
  EXPECT_TRUE(tight.buffer == text);
  SetFree(100000);
  const Appended full = AppendAll(2, placing);
  EXPECT_TRUE(full == AppendAll(1, placing));
  ASSERT_GE(full.lines.size(), 2u);
  EXPECT_NE(full.lines[1].find(drive_.Path("v0")), std::string::npos) << full.lines[1];
}
#endif

}  // namespace
}  // namespace tlx::package
