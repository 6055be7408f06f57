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
#include "platform/error.h"
#include "sample_data.h"
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

}  // namespace
}  // namespace tlx::package
