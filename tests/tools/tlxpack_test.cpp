// tlxpack end to end: payloads written by the tests (or the sample generator), built into
// distributions, checked by verify and installed through the package's install step, every
// installed file compared with the payload.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "package/folder_tables.h"
#include "package/volume_container.h"
#include "package/volume_set.h"
#include "platform/text.h"
#include "support/files.h"
#include "support/temp_drive.h"
#include "tools/install_expectation.h"
#include "tools/mksample/sample_payload.h"
#include "tools/tlxpack/build.h"
#include "tools/tlxpack/error_text.h"
#include "tools/tlxpack/inspect.h"
#include "tools/tlxpack/install.h"
#include "tools/tlxpack/install_buffer.h"

namespace tlx::tlxpack {
namespace {

namespace fs = std::filesystem;
using test::ExpectedInstall;
using test::FsPath;
using test::Part;
using test::ReadNativeFile;
using test::Rules;
using test::TreeFiles;
using test::WriteNativeFile;

// Writes the sources of the reference copies, the least a payload must hold.
void WriteMinimalPayload(const std::string& payload) {
  for (std::string_view cfg : package::kReferenceConfigFiles) {
    WriteNativeFile(payload + "/Cfg" + Part(cfg), "config " + Part(cfg));
  }
  for (size_t lang = 0; lang < package::kLanguageFolders.size(); ++lang) {
    const std::string root = payload + Part(package::kLanguageFolders[lang]);
    for (std::string_view db : package::kReferenceCopies[lang].databases) {
      WriteNativeFile(root + "/LBN" + Part(db), "database " + Part(db));
    }
    WriteNativeFile(root + "/UserNsi" + Part(package::kReferenceCopies[lang].user_file), "user file");
  }
}

std::string Noise(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  for (char& c : bytes) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 24);
  }
  return bytes;
}

class TlxpackTest : public ::testing::Test {
 protected:
  test::TempDrive drive_{'c'};
  std::string payload_ = drive_.NativePath("payload");

  BuildResult Build(const std::string& dist, unsigned jobs = 2, uint64_t volume_size = 32 << 10) {
    BuildOptions options;
    options.payload = drive_.Path("payload");
    options.destination = drive_.Path(dist);
    options.volume_size = volume_size;
    options.jobs = jobs;
    return BuildDistribution(options);
  }

  // Installs `dist` for both variants and compares each tree with the payload.
  void ExpectInstallsPayload(const std::string& dist, const Rules& rules) {
    for (int variant = 0; variant <= 1; ++variant) {
      SCOPED_TRACE("variant " + std::to_string(variant));
      const std::string folder = "inst" + std::to_string(variant);
      EXPECT_TRUE(InstallDistribution(drive_.Path(dist), drive_.Path(folder), variant, nullptr).empty());
      const std::map<std::string, std::string> installed = TreeFiles(drive_.NativePath(folder));
      const std::map<std::string, std::string> expected = ExpectedInstall(payload_, variant, rules);
      for (const auto& [path, bytes] : expected) {
        auto it = installed.find(path);
        if (it == installed.end()) {
          ADD_FAILURE() << path << " not installed";
        } else {
          EXPECT_TRUE(it->second == bytes) << path << " differs from the payload";
        }
      }
      for (const auto& [path, bytes] : installed) EXPECT_TRUE(expected.contains(path)) << path << " installed too";
    }
  }
};

TEST_F(TlxpackTest, SampleDistributionInstallsThePayloadInBothVariants) {
  mksample::WriteSamplePayload(drive_.Path("payload"), "");
  const BuildResult result = Build("dist", 2, 64 << 10);
  const Inspection inspection = InspectDistribution(drive_.Path("dist"));
  EXPECT_TRUE(inspection.problems.empty()) << VerifyReport(inspection, "dist");
  EXPECT_EQ(inspection.volumes, result.volumes);

  ExpectInstallsPayload("dist", test::SampleRules());

  // The measured requirement is at least the larger installed tree.
  uint64_t largest = 0;
  for (int variant = 0; variant <= 1; ++variant) {
    uint64_t total = 0;
    for (const auto& [path, bytes] : TreeFiles(drive_.NativePath("inst" + std::to_string(variant)))) total += bytes.size();
    largest = std::max(largest, total);
  }
  const std::string cfg = ReadNativeFile(drive_.NativePath("dist/" + std::string(kSetupConfigName)));
  ASSERT_EQ(cfg.size(), 8u);
  uint64_t stored = 0;
  for (int b = 7; b >= 0; --b) stored = stored << 8 | static_cast<uint8_t>(cfg[b]);
  EXPECT_EQ(stored, result.required_space);
  EXPECT_GE(stored, largest);
}

TEST_F(TlxpackTest, SamePayloadGivesTheSameBytesWhateverTheJobs) {
  WriteMinimalPayload(payload_);
  WriteNativeFile(payload_ + "/Base/noise.bin", Noise(150000, 7));
  WriteNativeFile(payload_ + "/Doc/text.txt", std::string(70000, 'x'));
  Build("one", 1);
  Build("two", 2);
  Build("one", 2);  // over the earlier build
  const auto one = TreeFiles(drive_.NativePath("one"));
  EXPECT_GT(one.size(), 4u);
  EXPECT_TRUE(one == TreeFiles(drive_.NativePath("two")));
}

// x86-like code: calls from many places to a few functions, between runs of other instructions.
std::string CallHeavyCode(size_t size, uint32_t seed) {
  static constexpr uint8_t kFiller[] = {0x8B, 0x45, 0xF8, 0x50, 0x89, 0xC3, 0x83, 0xC4, 0x08, 0x5D, 0xC3, 0x90};
  std::string code;
  while (code.size() + 5 < size) {
    seed = seed * 1103515245u + 12345u;
    for (uint32_t i = 0; i < (seed >> 28) + 2; ++i) code += static_cast<char>(kFiller[(seed >> (i % 24)) % sizeof kFiller]);
    const uint32_t target = 0x1000u * ((seed >> 8) % 6);
    const uint32_t displacement = target - static_cast<uint32_t>(code.size() + 5);
    code += '\xE8';
    for (int b = 0; b < 4; ++b) code += static_cast<char>(displacement >> (8 * b));
  }
  code.resize(size, '\x90');
  return code;
}

// Volumes are streamed through the coder in pieces; whatever the pieces, each is the container that
// the whole-buffer encoder makes of its unpacked image, with the x86 filter where that is smaller.
TEST_F(TlxpackTest, VolumesAreTheWholeImagesEncodingWhateverThePieces) {
  WriteMinimalPayload(payload_);
  WriteNativeFile(payload_ + "/Base/noise.bin", Noise(150000, 7));
  WriteNativeFile(payload_ + "/Doc/text.txt", std::string(70000, 'x'));
  WriteNativeFile(payload_ + "/Exe/tlx.exe", CallHeavyCode(200000, 11));
  BuildOptions options;
  options.payload = drive_.Path("payload");
  options.volume_size = 64 << 10;
  options.jobs = 2;
  for (const auto& [dist, piece] : {std::pair{"whole", size_t{0}}, std::pair{"pieces", size_t{1000}}}) {
    options.destination = drive_.Path(dist);
    options.pack_piece = piece;
    BuildDistribution(options);
  }
  const auto whole = TreeFiles(drive_.NativePath("whole"));
  EXPECT_TRUE(whole == TreeFiles(drive_.NativePath("pieces")));
  std::set<int> filters;
  for (const auto& [path, bytes] : whole) {
    if (path.find("TLXSTP5_320.") == std::string::npos) continue;  // TreeFiles names in capitals
    SCOPED_TRACE(path);
    const std::span<const uint8_t> container(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    package::ContainerHeader header;
    ASSERT_EQ(package::ReadContainerHeader(container, &header), package::CodecStatus::kOk);
    std::vector<uint8_t> image(header.unpacked_size);
    ASSERT_EQ(package::DecodeContainer(container, image, nullptr), package::CodecStatus::kOk);
    std::vector<uint8_t> again(package::PackCapacity(image.size()));
    size_t written = 0;
    ASSERT_EQ(package::EncodeContainer(image, again, static_cast<package::VolumeFilter>(header.filter), false, &written,
                                       nullptr),
              package::CodecStatus::kOk);
    EXPECT_TRUE(std::equal(again.begin(), again.begin() + written, container.begin(), container.end()));
    filters.insert(header.filter);
  }
  EXPECT_EQ(filters, (std::set<int>{0, 1}));  // the program's volumes take the filter, the others not
  ExpectInstallsPayload("pieces", Rules{});      // and the installer undoes it
}

#ifdef TLXPACK_EXE
// With jobs to spare the two measuring installations run side by side in tlxpack processes; one job
// runs them in turn in this process. The requirement, and so every byte of the distribution, is the
// same; the working folders are gone either way.
TEST_F(TlxpackTest, MeasuringSideBySideGivesWhatMeasuringInTurnGives) {
  mksample::WriteSamplePayload(drive_.Path("payload"), "");
  WriteNativeFile(payload_ + "/Rus/LPD/variant1.bin", Noise(90000, 5));  // variant 1 needs more
  BuildOptions options;
  options.payload = drive_.Path("payload");
  options.volume_size = 64 << 10;
  struct Case {
    const char* dist;
    unsigned jobs;
    const char* program;
  } cases[] = {{"in-turn", 1, TLXPACK_EXE}, {"side-by-side", 2, TLXPACK_EXE}, {"no-program", 2, ""}};
  std::vector<uint64_t> required;
  for (const Case& c : cases) {
    options.destination = drive_.Path(c.dist);
    options.jobs = c.jobs;
    options.measuring_program = c.program;
    required.push_back(BuildDistribution(options).required_space);
  }
  EXPECT_GT(required[0], 90000u);
  EXPECT_EQ(required[1], required[0]);
  EXPECT_EQ(required[2], required[0]);
  const auto in_turn = TreeFiles(drive_.NativePath("in-turn"));
  EXPECT_TRUE(in_turn == TreeFiles(drive_.NativePath("side-by-side")));
  EXPECT_TRUE(in_turn == TreeFiles(drive_.NativePath("no-program")));

  // A measuring program that fails names the variant and what it said.
  options.destination = drive_.Path("failing");
  options.jobs = 2;
  options.measuring_program = "/bin/false";
  try {
    BuildDistribution(options);
    ADD_FAILURE() << "a failing measuring program was taken";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("the measuring installation of variant"), std::string::npos) << e.what();
  }
}
#endif

TEST_F(TlxpackTest, ManyFilesLargeEmptyAndAlternativeFilesRoundTrip) {
  WriteMinimalPayload(payload_);
  for (int i = 0; i < 150; ++i) WriteNativeFile(payload_ + "/Ukr/Data/f" + std::to_string(i) + ".dat", Noise(i * 37, i));
  WriteNativeFile(payload_ + "/Rus/Data/big.bin", Noise(120000, 3));  // several 32 KiB volumes
  WriteNativeFile(payload_ + "/Doc/empty.txt", "");
  WriteNativeFile(payload_ + "/Doc/at.bin", std::string(20000, 'a') + "@");  // its last record is not "@"
  WriteNativeFile(payload_ + "/Rus/LPD/three.txt", "variant 1");
  WriteNativeFile(payload_ + "/Doc/v0.txt", "two components");
  WriteNativeFile(payload_ + "/Doc/v1.txt", "three components, longer");
  WriteNativeFile(payload_ + "/Exe/only1.txt", "only in variant 1");
  WriteNativeFile(payload_ + "/tlxpack.toml",
                  "order = [\"Doc/readme.txt\"]\n"
                  "[[file]]\npath = \"exe/ONLY1.txt\"\nvariant = 1\n"
                  "[[alternative]]\npath = \"Doc/readme.txt\"\nvariant0 = \"Doc/v0.txt\"\nvariant1 = \"Doc/v1.txt\"\n");
  Build("dist");

  const Inspection inspection = InspectDistribution(drive_.Path("dist"));
  EXPECT_TRUE(inspection.problems.empty()) << VerifyReport(inspection, "dist");
  std::set<uint32_t> ukr_logical;
  size_t ukr_files = 0;
  for (const ListedFile& file : inspection.files) {
    EXPECT_GE(file.logical, 1u);
    EXPECT_LE(file.logical, 99u);
    if (file.group == 1) {
      ukr_logical.insert(file.logical);
      ++ukr_files;
    }
  }
  EXPECT_EQ(ukr_files, 150u + 15u);
  EXPECT_EQ(ukr_logical.size(), 99u);
  ASSERT_FALSE(inspection.files.empty());
  EXPECT_EQ(inspection.files[0].name, "readme.txt");  // the description's order first

  Rules rules;
  rules.alternatives["Doc/readme.txt"] = {"Doc/v0.txt", "Doc/v1.txt"};
  rules.variant_one.insert("Exe/only1.txt");
  ExpectInstallsPayload("dist", rules);
}

TEST(TlxpackLogicalFiles, RunsAreContiguousAndCoverOneToNinetyNine) {
  for (size_t n : {0, 1, 99, 100, 150, 1000}) {
    const std::vector<uint32_t> logical = AssignLogicalFiles(n);
    ASSERT_EQ(logical.size(), n);
    for (size_t u = 0; u < n; ++u) {
      const uint32_t before = u == 0 ? 0 : logical[u - 1];
      EXPECT_TRUE(logical[u] == before || logical[u] == before + 1) << n << " units, unit " << u;
    }
    if (n > 0) {
      EXPECT_EQ(logical.back(), std::min<size_t>(n, 99)) << n;
    }
  }
}

// A damaged distribution and the problem verify must name.
struct DamageCase {
  const char* label;
  std::function<void(const std::string& setup)> damage;
  std::string where;
  std::string what;
};

class TlxpackVerifyTest : public TlxpackTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(TlxpackVerifyTest, NamesTheDamagedPart) {
  WriteMinimalPayload(payload_);
  WriteNativeFile(payload_ + "/Base/noise.bin", Noise(100000, 11));
  Build("dist");
  ASSERT_TRUE(InspectDistribution(drive_.Path("dist")).problems.empty());
  GetParam().damage(drive_.NativePath("dist") + "/Setup/");
  const Inspection inspection = InspectDistribution(drive_.Path("dist"));
  const std::string report = VerifyReport(inspection, "dist");
  const bool named = std::any_of(inspection.problems.begin(), inspection.problems.end(), [](const Problem& p) {
    return p.where == GetParam().where && p.what.find(GetParam().what) != std::string::npos;
  });
  EXPECT_TRUE(named) << report;
}

INSTANTIATE_TEST_SUITE_P(
    Damage, TlxpackVerifyTest,
    ::testing::Values(
        DamageCase{"FlippedByte",
                   [](const std::string& setup) {
                     std::string bytes = ReadNativeFile(setup + "TlxStp5_320.002");
                     bytes[bytes.size() / 2] ^= 0x10;
                     WriteNativeFile(setup + "TlxStp5_320.002", bytes);
                   },
                   "TlxStp5_320.002", "Файл TlxStp5_320.002 - Ошибки при чтении"},
        DamageCase{"MissingVolume", [](const std::string& setup) { fs::remove(FsPath(setup + "TlxStp5_320.003")); },
                   "TlxStp5_320.003", "Файл TlxStp5_320.003 - отсутствует"},
        DamageCase{"TruncatedKssum",
                   [](const std::string& setup) {
                     std::string bytes = ReadNativeFile(setup + "kssum");
                     WriteNativeFile(setup + "kssum", bytes.substr(0, bytes.size() - 8));
                     fs::remove(FsPath(setup + "SHA256SUMS"));
                   },
                   "TlxStp5_320.006", "нет контрольной суммы"},
        DamageCase{"HeaderOnlyKssum",
                   [](const std::string& setup) {
                     WriteNativeFile(setup + "kssum", ReadNativeFile(setup + "kssum").substr(0, 20));
                   },
                   "Setup", "kssum - Ошибки при чтении"}),
    [](const auto& info) { return std::string(info.param.label); });

// A payload the builder must refuse before it writes anything, and a part of the message.
struct RefusedCase {
  const char* label;
  std::vector<std::pair<std::string, std::string>> files;  // payload path, bytes
  std::string message;
};

class TlxpackRefusalTest : public TlxpackTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(TlxpackRefusalTest, RefusesBeforeWriting) {
  WriteMinimalPayload(payload_);
  for (const auto& [path, bytes] : GetParam().files) {
    if (bytes == "<delete>") {
      fs::remove(FsPath(payload_ + "/" + path));
    } else {
      WriteNativeFile(payload_ + "/" + path, bytes);
      // Windows cannot hold some of these names (a device name writes to the device).
      if (!test::NativeExists(payload_ + "/" + path)) GTEST_SKIP() << path << " cannot be made here";
    }
  }
  try {
    Build("dist");
    ADD_FAILURE() << "built";
  } catch (const std::exception& error) {
    EXPECT_NE(ErrorText(error).find(GetParam().message), std::string::npos) << ErrorText(error);
  }
  EXPECT_FALSE(test::NativeExists(drive_.NativePath("dist")));
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, TlxpackRefusalTest,
    ::testing::Values(
        RefusedCase{"Blank", {{"Doc/a b.txt", "x"}}, "blank"},
        RefusedCase{"OutsideCp1251", {{"Doc/\xE6\x97\xA5.txt", "x"}}, "1251"},
        RefusedCase{"UnknownFolder", {{"Misc/x.txt", "x"}}, "not a folder of the product tree"},
        RefusedCase{"UnknownWorkingFolder", {{"Rus/Misc/x.txt", "x"}}, "not a working folder"},
        RefusedCase{"Subfolder", {{"Doc/sub/x.txt", "x"}}, "subfolder"},
        RefusedCase{"DeviceName", {{"Doc/NUL.txt", "x"}}, "NUL.txt"},
        RefusedCase{"LoneAt", {{"Doc/at.txt", "@"}}, "\"@\""},
        RefusedCase{"NamedAt", {{"Doc/@", "x"}}, "Doc/@: the name \"@\" cannot be stored"},
        RefusedCase{"LpdInVariantZero", {{"Rus/LPD/x.txt", "x"}, {"tlxpack.toml", "[[file]]\npath = \"Rus/LPD/x.txt\"\nvariant = 0\n"}}, "LPD"},
        RefusedCase{"UnknownKey", {{"tlxpack.toml", "[[file]]\npath = \"Cfg/cfg.tlx\"\nvarient = 1\n"}}, "unknown key"},
        RefusedCase{"MissingSource", {{"tlxpack.toml", "[[alternative]]\npath = \"Doc/r.txt\"\nvariant0 = \"Doc/a.txt\"\nvariant1 = \"Doc/b.txt\"\n"}}, "no such file"},
        RefusedCase{"MissingReferenceSource", {{"Rus/LBN/1.bsr", "<delete>"}}, "reference copies"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace tlx::tlxpack
