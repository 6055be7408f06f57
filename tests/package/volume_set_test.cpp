// The volume set: the distribution folder, volume names, the checksum table and the verification pass
// with its error lines and progress counters.
#include "package/volume_set.h"

#include <gtest/gtest.h>

#include <map>

#include "messages/zerror.h"
#include "package/lzma_volume.h"
#include "package/volume_checksum.h"
#include "platform/fs.h"
#include "sample_data.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::package {
namespace {

using test::Bytes;

// A progress view that writes down what it is shown.
class RecordingBars : public VolumeProgress {
 public:
  void ResetVolumeBars(int max) override {
    tens_max = max;
    events.push_back("reset");
  }
  void ShowVolumeBars(const std::string& volume, int tens, int units) override {
    shown.push_back({tens, units});
    events.push_back("step " + volume);
  }
  int tens_max = -1;
  std::vector<std::pair<int, int>> shown;
  std::vector<std::string> events;
};

struct Range {
  int32_t first, last;
};

class VolumeSetTest : public testing::Test {
 protected:
  // Writes Setup\kssum for `ranges` with a correct record for every volume in `volumes`, and a zero
  // record for numbers without a volume; `records` limits how many records the table holds.
  void WriteDistribution(const std::array<Range, 3>& ranges, const std::map<int, Bytes>& volumes,
                         size_t records = SIZE_MAX) {
    Bytes table;
    auto put32 = [&](uint32_t v) {
      for (int i = 0; i < 4; ++i) table.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    for (const Range& r : ranges) {
      put32(static_cast<uint32_t>(r.first));
      put32(static_cast<uint32_t>(r.last));
    }
    size_t written = 0;
    for (const Range& r : ranges) {
      for (int32_t n = r.first; n <= r.last && written < records; ++n, ++written) {
        uint32_t lo = 0, hi = 0;
        if (auto it = volumes.find(n); it != volumes.end()) {
          VolumeChecksum(it->second.size(), it->second.data(), &lo, &hi);
        }
        put32(lo);
        put32(hi);
      }
    }
    WriteSetupFile("kssum", table);
    for (const auto& [number, bytes] : volumes) WriteSetupFile(VolumeName(number), bytes);
  }
  void RemoveSetupFile(const std::string& name) {
    ASSERT_TRUE(platform::DeleteFile(drive_.Path("Setup\\" + name))) << name;
  }
  void WriteSetupFile(const std::string& name, const Bytes& bytes) {
    test::WriteNativeFile(drive_.NativePath("Setup\\" + name), test::AsString(bytes));
  }

  // Runs the three groups as the install step does; returns the verified volume names.
  std::vector<std::string> RunAllGroups(VolumeSet& set) {
    std::vector<std::string> verified;
    set.ResetVolumeProgress();
    for (int group = 0; group < 3; ++group) {
      set.CheckGroupVolumes(group, [&](const std::string& path) {
        EXPECT_EQ(path.rfind(drive_.root() + "\\Setup\\", 0), 0u) << path;
        verified.push_back(path.substr(path.rfind('\\') + 1));
        bars_.events.push_back("verified " + verified.back());
      });
    }
    return verified;
  }

  static std::string Missing(int n) { return "Файл " + VolumeName(n) + " - отсутствует"; }
  static std::string Damaged(int n) { return "Файл " + VolumeName(n) + " - Ошибки при чтении"; }
  static std::string Unlisted(int n) { return "Файл " + VolumeName(n) + " - нет контрольной суммы"; }

  test::TempDrive drive_;
  RecordingBars bars_;
};

TEST(VolumeName, ThreeZeroFilledDigits) {
  EXPECT_EQ(VolumeName(0), "TlxStp5_320.000");
  EXPECT_EQ(VolumeName(7), "TlxStp5_320.007");
  EXPECT_EQ(VolumeName(42), "TlxStp5_320.042");
  EXPECT_EQ(VolumeName(123), "TlxStp5_320.123");
  EXPECT_EQ(VolumeName(999), "TlxStp5_320.999");
}

TEST_F(VolumeSetTest, SetupFolderIsFoundOrNamedAsMissing) {
  try {
    SetupFolderOf(drive_.root());
    FAIL() << "no error for a missing folder";
  } catch (const messages::ZError& e) {
    EXPECT_EQ(e.Number(), 0);
    EXPECT_EQ(e.Params(), "Отсутствует директория Setup");
  }
  ASSERT_TRUE(platform::CreateFolder(drive_.Path("Setup")));
  EXPECT_EQ(SetupFolderOf(drive_.root()), drive_.Path("Setup\\"));
  EXPECT_EQ(SetupFolderOf(drive_.root() + "\\"), drive_.Path("Setup\\"));
  EXPECT_EQ(platform::CurrentFolder(), drive_.Path("Setup"));
}

TEST_F(VolumeSetTest, EmptyGroupConsumesNoRecords) {
  // Group 1 is empty (last below first, numbers far outside the set): group 2 must get record 3.
  WriteDistribution({Range{1, 2}, Range{1000, 0}, Range{3, 4}},
                    {{1, test::TextSample(100)}, {2, {}}, {3, test::NoiseSample(7)}, {4, test::NoiseSample(3 << 20)}});
  VolumeSet set(bars_, drive_.root());
  EXPECT_EQ(RunAllGroups(set), (std::vector<std::string>{VolumeName(1), VolumeName(2), VolumeName(3), VolumeName(4)}));
  EXPECT_EQ(set.FailedVolumes(), 0u);
  EXPECT_TRUE(set.ErrorLines().empty());
  // Each volume is handed on before the next one is looked at.
  EXPECT_EQ(bars_.events, (std::vector<std::string>{"reset", "step " + VolumeName(1), "verified " + VolumeName(1),
                                                    "step " + VolumeName(2), "verified " + VolumeName(2),
                                                    "step " + VolumeName(3), "verified " + VolumeName(3),
                                                    "step " + VolumeName(4), "verified " + VolumeName(4)}));
}

TEST_F(VolumeSetTest, MissingAndDamagedVolumesAreListedInOrder) {
  std::map<int, Bytes> volumes;
  for (int n = 0; n <= 8; ++n) volumes[n] = test::TextSample(500 + n, n);
  WriteDistribution({Range{0, 3}, Range{4, 5}, Range{6, 8}}, volumes);
  RemoveSetupFile(VolumeName(1));
  RemoveSetupFile(VolumeName(3));
  Bytes damaged = volumes[7];
  damaged[100] ^= 1;
  WriteSetupFile(VolumeName(7), damaged);

  VolumeSet set(bars_, drive_.root());
  const auto verified = RunAllGroups(set);
  EXPECT_EQ(set.ErrorLines(), (std::vector<std::string>{Missing(1), Missing(3), Damaged(7)}));
  EXPECT_EQ(set.FailedVolumes(), 3u);
  // Group 1 is checked all the same, and so is the rest of group 2.
  EXPECT_EQ(verified, (std::vector<std::string>{VolumeName(0), VolumeName(2), VolumeName(4), VolumeName(5),
                                                VolumeName(6), VolumeName(8)}));
}

TEST_F(VolumeSetTest, VolumesWithoutARecordFail) {
  std::map<int, Bytes> volumes;
  for (int n = 10; n <= 14; ++n) volumes[n] = test::TextSample(100, n);
  WriteDistribution({Range{10, 11}, Range{12, 14}, Range{5, 4}}, volumes, 3);  // records for 10..12 only
  RemoveSetupFile(VolumeName(14));
  VolumeSet set(bars_, drive_.root());
  EXPECT_EQ(RunAllGroups(set), (std::vector<std::string>{VolumeName(10), VolumeName(11), VolumeName(12)}));
  EXPECT_EQ(set.ErrorLines(), (std::vector<std::string>{Unlisted(13), Missing(14)}));
  EXPECT_EQ(set.FailedVolumes(), 2u);
}

TEST_F(VolumeSetTest, CountersRollOverAfterTheTenthVolume) {
  std::map<int, Bytes> volumes;
  for (int n = 1; n <= 25; ++n) volumes[n] = {static_cast<uint8_t>(n)};
  WriteDistribution({Range{1, 9}, Range{10, 17}, Range{18, 25}}, volumes);
  VolumeSet set(bars_, drive_.root());
  RunAllGroups(set);
  EXPECT_EQ(bars_.tens_max, 2);
  ASSERT_EQ(bars_.shown.size(), 25u);
  EXPECT_EQ(bars_.shown[8], std::make_pair(0, 9));
  EXPECT_EQ(bars_.shown[9], std::make_pair(1, 0));   // the tenth volume
  EXPECT_EQ(bars_.shown[10], std::make_pair(1, 1));
  EXPECT_EQ(bars_.shown[19], std::make_pair(2, 0));
  EXPECT_EQ(bars_.shown[24], std::make_pair(2, 5));
  EXPECT_EQ(set.UnitCount(), 5);
}

TEST_F(VolumeSetTest, TensBarRunsToTheLastVolumeOfGroupTwo) {
  const struct {
    Range last_group;
    int tens_max;
  } cases[] = {
      {{18, 25}, 2},
      {{0, -1}, 0},
      {{0x342D261F, 0x49EB3B}, 0},  // empty: its numbers say nothing, however large
      {{1000, 999}, 0},
  };
  for (const auto& c : cases) {
    WriteDistribution({Range{1, 2}, Range{5, 4}, c.last_group}, {});
    VolumeSet set(bars_, drive_.root());
    set.ResetVolumeProgress();
    EXPECT_EQ(bars_.tens_max, c.tens_max) << c.last_group.first << ".." << c.last_group.last;
  }
}

TEST_F(VolumeSetTest, PackedVolumesVerifyAndUnpack) {
  // A distribution made the way the distribution tool makes it: each volume packed by PackFile.
  const std::map<int, Bytes> contents = {{0, test::TextSample(70000, 1)}, {1, test::BranchSample(30000)},
                                         {2, test::TextSample(1, 2)}, {3, test::NoiseSample(5000)}};
  ASSERT_TRUE(platform::CreateFolder(drive_.Path("Setup")));
  std::map<int, Bytes> volumes;
  for (const auto& [number, content] : contents) {
    test::WriteNativeFile(drive_.NativePath("plain"), test::AsString(content));
    ASSERT_NE(PackFile(drive_.Path("Setup\\" + VolumeName(number)), drive_.Path("plain"), nullptr, 0), 0u);
    volumes[number] = test::AsBytes(test::ReadNativeFile(drive_.NativePath("Setup\\" + VolumeName(number))));
  }
  WriteDistribution({Range{0, 1}, Range{2, 2}, Range{3, 3}}, volumes);

  VolumeSet set(bars_, drive_.root());
  set.ResetVolumeProgress();
  int unpacked = 0;
  for (int group = 0; group < 3; ++group) {
    set.CheckGroupVolumes(group, [&](const std::string& path) {
      const int number = std::stoi(path.substr(path.size() - 3));
      ASSERT_EQ(UnpackFile(drive_.Path("tmp_pck.tmp"), path, 0, nullptr, 0), contents.at(number).size());
      EXPECT_TRUE(test::ReadNativeFile(drive_.NativePath("tmp_pck.tmp")) == test::AsString(contents.at(number)));
      ++unpacked;
    });
  }
  EXPECT_EQ(unpacked, 4);
  EXPECT_EQ(set.FailedVolumes(), 0u);
}

TEST_F(VolumeSetTest, HostileTablesAreRefusedBeforeAnyVolume) {
  const struct {
    const char* name;
    std::array<Range, 3> ranges;
  } cases[] = {
      {"two billion volumes", {Range{0, 2147483647}, Range{5, 4}, Range{5, 4}}},
      {"negative first", {Range{-1, 3}, Range{5, 4}, Range{5, 4}}},
      {"number 1000", {Range{0, 1}, Range{2, 3}, Range{998, 1000}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteDistribution(c.ranges, {}, 0);
    EXPECT_THROW(VolumeSet(bars_, drive_.root()), messages::ZError);
  }
  WriteSetupFile("kssum", Bytes(23, 0));  // shorter than its header
  try {
    VolumeSet set(bars_, drive_.root());
    FAIL() << "a short table was accepted";
  } catch (const messages::ZError& e) {
    EXPECT_EQ(e.Number(), 0);
    EXPECT_EQ(e.Params(), "Файл " + drive_.Path("Setup\\kssum") + " - Ошибки при чтении");
  }
  RemoveSetupFile("kssum");
  EXPECT_THROW(VolumeSet(bars_, drive_.root()), messages::ZError);  // the file layer's error
}

}  // namespace
}  // namespace tlx::package
