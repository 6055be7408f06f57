// Manifest lines: parsing, the names an installation refuses, the writer's side, and the block
// layout of unpacked volumes in both directions.
#include "package/manifest_line.h"

#include <gtest/gtest.h>

#include "messages/zerror.h"
#include "package/volume_blocks.h"
#include "sample_data.h"
#include "store/sfile.h"
#include "store/wrec.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::package {
namespace {

TEST(ManifestLine, ParsesNumbersNameAndTag) {
  const struct {
    const char* line;
    int group;
    uint32_t logical, folder;
    const char* name;
    std::optional<int32_t> variant;
  } cases[] = {
      {"0102cfg.tlx", 0, 1, 2, "cfg.tlx", std::nullopt},
      {"0102cfg.tlx 1", 0, 1, 2, "cfg.tlx", 1},
      {"9923Довідник.bsu 0", 2, 99, 23, "Довідник.bsu", 0},
      {"1004.hidden", 0, 10, 4, ".hidden", std::nullopt},
      {"0101a.b -3", 1, 1, 1, "a.b", -3},
  };
  for (const auto& c : cases) {
    std::string problem;
    const auto parsed = ParseManifestLine(c.line, c.group, &problem);
    ASSERT_TRUE(parsed) << c.line << ": " << problem;
    EXPECT_EQ(parsed->logical, c.logical);
    EXPECT_EQ(parsed->folder, c.folder);
    EXPECT_EQ(parsed->name, c.name);
    EXPECT_EQ(parsed->variant, c.variant);
    EXPECT_EQ(FormatManifestLine(*parsed, c.group), c.line);
  }
  EXPECT_EQ(ManifestTargetPath("c:\\inst", 1, {3, 13, "1.bsu", {}}), "c:\\inst\\Ukr\\Etalon\\1.bsu");
  EXPECT_EQ(ManifestTargetPath("c:\\inst", 0, {3, 4, "tlx.exe", {}}), "c:\\inst\\Exe\\tlx.exe");
  EXPECT_EQ(TrimLine(std::string_view(" \t0101a \0\r\n", 11)), "0101a");
}

TEST(ManifestLine, TheWriterRefusesWhatTheInstallerRefuses) {
  const char* refused[] = {"..", ".", "..\\x", "C:x", "a/b", "x:y", "NUL", "nul.txt", "COM1", "lpt9.a", "CONIN$",
                           "COM\u00B9", "lpt\u00B3.txt", "name.", "name ", "a<b", "a|b", "a?b", "a\"b"};
  for (const char* name : refused) {
    EXPECT_TRUE(InstallNameProblem(name)) << name;
    EXPECT_THROW(FormatManifestLine({1, 1, name, {}}, 0), messages::ZError) << name;
  }
  EXPECT_TRUE(InstallNameProblem(std::string("a\0b", 3)));
  EXPECT_TRUE(InstallNameProblem(std::string(256, 'x')));
  EXPECT_TRUE(InstallNameProblem("\xD0"));  // not UTF-8
  for (const char* name : {"COM10", "LPT0", "console", "NULL.txt", "a..b", "Довідник.bsu"}) {
    EXPECT_FALSE(InstallNameProblem(name)) << name;
  }
  EXPECT_FALSE(InstallNameProblem(std::string(255, 'x')));
  std::string cyrillic;
  for (int i = 0; i < 255; ++i) cyrillic += "ї";
  EXPECT_FALSE(InstallNameProblem(cyrillic));  // 255 characters, 510 bytes
  EXPECT_THROW(FormatManifestLine({100, 1, "a", {}}, 0), messages::ZError);
  EXPECT_THROW(FormatManifestLine({1, 5, "a", {}}, 0), messages::ZError);
  EXPECT_THROW(FormatManifestLine({1, 24, "a", {}}, 2), messages::ZError);
}

class VolumeBlocksTest : public ::testing::Test {
 protected:
  // The payload AppendVolumeBlocks takes from an unpacked volume holding `image`.
  std::string Append(const std::string& image) {
    test::WriteNativeFile(drive_.NativePath("unpacked"), image);
    store::SFile in(drive_.Path("unpacked"), store::kSFileRead);
    store::SFile out(drive_.Path("buffer"), store::kSFileCreateReplace);
    store::WRec piece;
    AppendVolumeBlocks(in, out, piece, "TlxStp5_320.001");
    out.Close();
    return test::ReadNativeFile(drive_.NativePath("buffer"));
  }
  test::TempDrive drive_;
};

std::string Block(std::string_view payload, size_t size) {
  std::string out{static_cast<char>(payload.size() & 0xFF), static_cast<char>(payload.size() >> 8)};
  out += payload;
  out.resize(size, 'z');
  return out;
}

TEST_F(VolumeBlocksTest, TakesEachBlocksPayload) {
  const std::string full(kMaxBlockPayload, 'f');
  EXPECT_EQ(Append(""), "");
  EXPECT_EQ(Append(Block(full, 16384)), full);
  EXPECT_EQ(Append(Block(full, 16384) + Block("", 2)), full);
  EXPECT_EQ(Append(Block("", 16384) + Block("abc", 10)), "abc");
  EXPECT_EQ(Append(Block("ab", 16384) + Block("cd", 16384) + Block("e", 3)), "abcde");
  for (const std::string& bad : {Block(full, 16384) + "x", Block("abc", 4), std::string(1, '\x01')}) {
    try {
      Append(bad);
      ADD_FAILURE() << bad.size();
    } catch (const messages::ZError& e) {
      EXPECT_EQ(e.Params().rfind("Файл TlxStp5_320.001 - блок ", 0), 0u) << e.Params();
    }
  }
}

TEST_F(VolumeBlocksTest, ImagesCarryThePayloadInFullBlocks) {
  const std::string payload = test::AsString(test::NoiseSample(3 * kMaxBlockPayload + 7, 4));
  for (size_t size : {size_t{0}, size_t{1}, size_t{kMaxBlockPayload}, size_t{kMaxBlockPayload + 1}, payload.size()}) {
    for (size_t blocks : {1, 2, 3}) {
      SCOPED_TRACE(testing::Message() << size << " bytes, " << blocks << " blocks");
      const std::vector<std::string> images = VolumeImages(std::string_view(payload).substr(0, size), blocks);
      std::string joined;
      for (size_t i = 0; i < images.size(); ++i) {
        EXPECT_LE(images[i].size(), blocks * kVolumeBlockSize);
        if (i + 1 < images.size()) {
          EXPECT_EQ(images[i].size(), blocks * kVolumeBlockSize);
        }
        joined += Append(images[i]);
      }
      EXPECT_EQ(joined, payload.substr(0, size));
      const size_t needed = size == 0 ? 1 : (size + kMaxBlockPayload - 1) / kMaxBlockPayload;
      EXPECT_EQ(images.size(), (needed + blocks - 1) / blocks);
    }
  }
}

}  // namespace
}  // namespace tlx::package
