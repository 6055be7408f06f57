// tlxsetup /VERIFY and setup.exe /VERIFY /VERYSILENT natively on the sample distribution: the exit
// code, the lines naming each problem (a damaged volume, one whose damage the additive checksum
// cannot see, a missing volume, a broken manifest), the log, and nothing written anywhere but the log.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>

#include "app/unattended.h"
#include "package/distribution_writer.h"
#include "package/volume_blocks.h"
#include "package/volume_checksum.h"
#include "platform/config.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "store/compound_builder.h"
#include "store/scramble.h"
#include "support/files.h"
#include "support/temp_drive.h"
#include "tools/install_expectation.h"
#include "tools/install_scope.h"
#include "tools/mksample/sample_payload.h"
#include "tools/tlxpack/build.h"

namespace tlx::app {
namespace {

namespace fs = std::filesystem;
using test::ReadNativeFile;
using test::WriteNativeFile;

// Swaps two different bytes 56 apart inside the LZMA stream: both strides of the volume checksum
// divide 56, so the checksum stays while the volume is damaged.
void SwapKeepingTheChecksum(const std::string& native) {
  std::string bytes = ReadNativeFile(native);
  size_t at = 100;
  while (bytes.at(at) == bytes.at(at + 56)) ++at;
  uint32_t lo = 0, hi = 0, lo2 = 0, hi2 = 0;
  package::VolumeChecksum(bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()), &lo, &hi);
  std::swap(bytes[at], bytes[at + 56]);
  package::VolumeChecksum(bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()), &lo2, &hi2);
  ASSERT_EQ(lo, lo2);
  ASSERT_EQ(hi, hi2);
  WriteNativeFile(native, bytes);
}

// Replaces the distribution's volumes with one group 0 whose manifest's second line names a path.
void WriteBrokenManifest(const test::TempDrive& drive, const std::string& dist) {
  const std::string raw = drive.Path("raw.buf");
  {
    store::CompoundFileBuilder builder(raw, 2, store::ScrambleOffset);
    builder.BeginLogical(0);
    builder.AddRecord(0, "0101a.dat");
    builder.AddRecord(0, "0101..\\x");
    builder.EndLogical();
    builder.BeginLogical(1);
    builder.AddRecord(1, "description");
    builder.AddRecord(2, "12345678");
    builder.AddRecord(0, ".");
    builder.EndLogical();
    builder.Finish();
  }
  fs::remove_all(drive.NativePath(dist + "/Setup"));
  platform::CreateFolderTree(drive.Path(dist + "\\Setup"));
  package::DistributionWriter writer(drive.Path(dist + "\\Setup"), drive.Path("work.tmp"));
  writer.AddGroup(0, 1, package::VolumeImages(package::ReadWholeFile(raw), 1));
  writer.Finish();
  platform::DeleteFile(raw);
}

class MediumVerifyTest : public ::testing::Test {
 public:
  MediumVerifyTest() : saved_cwd_(fs::current_path()) {
    test::BuildSampleDistribution(dist_drive_);
    fs::create_directories(temp_);
    const char* tmpdir = std::getenv("TMPDIR");
    if (tmpdir != nullptr) saved_tmpdir_ = tmpdir;
    setenv("TMPDIR", temp_.c_str(), 1);
  }
  ~MediumVerifyTest() override {
    fs::current_path(saved_cwd_);
    if (saved_tmpdir_) {
      setenv("TMPDIR", saved_tmpdir_->c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }

  int Run(const std::string& folder, std::vector<std::string> args) {
    out.clear();
    err.clear();
    platform::SetCurrentFolder(dist_drive_.Path(folder));
    return RunCommandLine(args, false, nullptr, [this](const std::string& t) { out += t; },
                          [this](const std::string& t) { err += t; });
  }

  test::TempDrive log_drive_{'c'};
  test::TempDrive dist_drive_{'d'};
  std::string temp_ = log_drive_.NativePath("temp");
  std::string out, err;

 private:
  fs::path saved_cwd_;
  std::optional<std::string> saved_tmpdir_;
};

TEST_F(MediumVerifyTest, NamesEachProblemWithItsExitCodeAndWritesOnlyTheLog) {
  struct Case {
    const char* label;
    std::function<void(MediumVerifyTest&, const std::string& setup)> change;
    int code;
    std::string line;  // the problem line; empty: none
  };
  const std::vector<Case> cases = {
      {"sample", [](MediumVerifyTest&, const std::string&) {}, 0, ""},
      {"flipped byte",
       [](MediumVerifyTest&, const std::string& setup) {
         std::string bytes = ReadNativeFile(setup + "/TlxStp5_320.004");
         bytes[bytes.size() / 2] ^= 1;
         WriteNativeFile(setup + "/TlxStp5_320.004", bytes);
       },
       3, "Файл TlxStp5_320.004 - Ошибки при чтении"},
      {"swap the checksum cannot see",
       [](MediumVerifyTest&, const std::string& setup) { SwapKeepingTheChecksum(setup + "/TlxStp5_320.002"); }, 3,
       "Файл TlxStp5_320.002 - Ошибки при чтении"},
      {"missing volume",
       [](MediumVerifyTest&, const std::string& setup) { fs::remove(setup + "/TlxStp5_320.003"); }, 3,
       "Файл TlxStp5_320.003 - отсутствует"},
      {"broken manifest", [](MediumVerifyTest& t, const std::string&) { WriteBrokenManifest(t.dist_drive_, "case"); },
       3, "Файл InsBf группы 0, строка 2 \"0101..\\x\": имя файла содержит путь"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove_all(dist_drive_.NativePath("case"));
    fs::copy(dist_drive_.NativePath("dist"), dist_drive_.NativePath("case"), fs::copy_options::recursive);
    c.change(*this, dist_drive_.NativePath("case/Setup"));
    const std::map<std::string, std::string> before = test::TreeFiles(dist_drive_.native());
    fs::remove(log_drive_.NativePath("verify.log"));

    EXPECT_EQ(Run("case", {"/VERIFY", "/VERYSILENT", "/LOG=c:\\verify.log"}), c.code) << err;
    EXPECT_EQ(out, "");
    const std::string log = ReadNativeFile(log_drive_.NativePath("verify.log"));
    if (c.line.empty()) {
      EXPECT_EQ(err, "");
      EXPECT_NE(log.find("step: Дистрибутив проверен: томов "), std::string::npos) << log;
      EXPECT_NE(log.find("ошибок нет (контрольные суммы и SHA-256 совпадают)"), std::string::npos) << log;
    } else {
      EXPECT_NE(err.find(c.line + "\n"), std::string::npos) << err;
      EXPECT_NE(log.find("error: " + c.line + "\r\n"), std::string::npos) << log;
      EXPECT_NE(log.find("error: Дистрибутив проверен: томов "), std::string::npos) << log;
    }
    // Nothing installed or written: the distribution drive as it was, the log alone beside the
    // empty temporary folder.
    EXPECT_TRUE(test::TreeFiles(dist_drive_.native()) == before);
    EXPECT_TRUE(fs::is_empty(temp_));
    EXPECT_EQ(test::TreeFiles(log_drive_.native()).size(), 1u);

    // The volumes decoded on one thread and on three, the workers writing every volume into the
    // buffer themselves or not: the same lines.
    const std::string lines = err;
    for (const auto& [threads, place_from] : {std::pair{"1", "0"}, std::pair{"3", "1048576"}, std::pair{"3", "0"}}) {
      setenv("TLX_DECODE_THREADS", threads, 1);
      setenv("TLX_PLACE_FROM", place_from, 1);
      EXPECT_EQ(Run("case", {"/VERIFY", "/VERYSILENT"}), c.code) << threads << " " << place_from;
      unsetenv("TLX_DECODE_THREADS");
      unsetenv("TLX_PLACE_FROM");
      EXPECT_EQ(err, lines) << threads << " " << place_from;
    }
  }
}

TEST_F(MediumVerifyTest, TlxsetupPrintsTheProblemsAndTheSummary) {
  fs::remove(dist_drive_.NativePath("dist/Setup/TlxStp5_320.001"));
  EXPECT_EQ(Run("dist", {"/VERIFY", "/SILENT"}), 3);
  EXPECT_NE(out.find("volume: TlxStp5_320.002"), std::string::npos) << out;  // the progress
  EXPECT_EQ(err.find("Файл TlxStp5_320.001 - отсутствует\nДистрибутив проверен: томов "), 0u) << err;
  EXPECT_EQ(Run("dist", {"/verify", "/VERYSILENT", "/DIR=c:\\ignored"}), 3);
  EXPECT_EQ(out, "");
  EXPECT_FALSE(fs::exists(log_drive_.NativePath("ignored")));
}

}  // namespace
}  // namespace tlx::app
