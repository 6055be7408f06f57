// Install buffers whose manifest contradicts the buffer or itself, written record by record (the
// distribution writer refuses to make them): verify names the line, and the real install step
// refuses the group with the same finding before it writes any file.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "messages/zerror.h"
#include "package/distribution_writer.h"
#include "package/volume_blocks.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "store/compound_builder.h"
#include "store/scramble.h"
#include "support/temp_drive.h"
#include "tools/install_expectation.h"
#include "tools/tlxpack/error_text.h"
#include "tools/tlxpack/inspect.h"
#include "tools/tlxpack/install.h"

namespace tlx::tlxpack {
namespace {

using Records = std::vector<std::pair<uint8_t, std::string>>;  // type, data

const Records kOneFile = {{1, "description"}, {2, "12345678"}, {0, "."}};

struct ContradictionCase {
  const char* label;
  std::vector<std::string> manifest;  // UTF-8
  std::map<uint32_t, Records> logical;
  uint32_t count;
  size_t line;        // the manifest line named; 0: the manifest as a whole
  std::string what;   // part of the finding
};

// Writes group 0 of a distribution into `setup` from the raw buffer.
void WriteDistribution(const test::TempDrive& drive, const ContradictionCase& c) {
  const std::string raw = drive.Path("raw.buf");
  {
    store::CompoundFileBuilder builder(raw, c.count, store::ScrambleOffset);
    builder.BeginLogical(0);
    for (const std::string& line : c.manifest) builder.AddRecord(0, *platform::Utf8ToCp1251(line));
    builder.EndLogical();
    for (const auto& [number, records] : c.logical) {
      builder.BeginLogical(number);
      for (const auto& [type, data] : records) builder.AddRecord(type, data);
      builder.EndLogical();
    }
    builder.Finish();
  }
  platform::CreateFolderTree(drive.Path("dist\\Setup"));
  package::DistributionWriter writer(drive.Path("dist\\Setup"), drive.Path("work.tmp"));
  writer.AddGroup(0, 0, package::VolumeImages(package::ReadWholeFile(raw), 1));
  writer.Finish();
  platform::DeleteFile(raw);
}

class ManifestContradictionTest : public ::testing::TestWithParam<ContradictionCase> {};

TEST_P(ManifestContradictionTest, VerifyNamesItAndTheInstallerRefusesBeforeWriting) {
  const ContradictionCase& c = GetParam();
  test::TempDrive drive('c');
  WriteDistribution(drive, c);

  const Inspection inspection = InspectDistribution(drive.Path("dist"));
  const std::string line = c.line == 0 ? "InsBf группы 0: " : "InsBf группы 0, строка " + std::to_string(c.line) + " ";
  const bool named = std::any_of(inspection.problems.begin(), inspection.problems.end(), [&](const Problem& p) {
    return p.where == "группа 0" && p.what.find(line) != std::string::npos && p.what.find(c.what) != std::string::npos;
  });
  EXPECT_TRUE(named) << VerifyReport(inspection, "dist");

  try {
    InstallDistribution(drive.Path("dist"), drive.Path("inst"), 1, nullptr);
    ADD_FAILURE() << "installed";
  } catch (const messages::ZError& e) {
    const std::string text = ErrorText(e);
    EXPECT_NE(text.find("InsBf"), std::string::npos) << text;
    EXPECT_NE(text.find(c.what), std::string::npos) << text;
    if (c.line != 0) {
      EXPECT_NE(text.find("строка " + std::to_string(c.line) + " "), std::string::npos) << text;
    }
  }
  EXPECT_EQ(test::TreeFiles(drive.NativePath("inst")).size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Buffers, ManifestContradictionTest,
    ::testing::Values(
        ContradictionCase{"TargetTwiceInOtherCase", {"0104tlx.exe", "0204TLX.EXE"},
                          {{1, kOneFile}, {2, kOneFile}}, 3, 2, "уже назван в строке 1"},
        ContradictionCase{"CyrillicTargetTwice", {"0101Довідник.dat", "0201ДОВІДНИК.DAT"},
                          {{1, kOneFile}, {2, kOneFile}}, 3, 2, "уже назван в строке 1"},
        ContradictionCase{"UntaggedAfterTagged", {"0102a.cfg 1", "0202a.cfg"},
                          {{1, kOneFile}, {2, kOneFile}}, 3, 2, "уже назван в строке 1"},
        ContradictionCase{"SameTagTwice", {"0102a.cfg 0", "0102b.cfg", "0202A.cfg 0"},
                          {{1, {{1, "d"}, {0, "."}, {0, "."}}}, {2, kOneFile}}, 3, 3, "уже назван в строке 1"},
        ContradictionCase{"AbsentLogicalFile", {"0101a.dat", "0501b.dat"}, {{1, kOneFile}}, 3, 2, "логического файла 5 нет"},
        ContradictionCase{"EmptyLogicalFile", {"0101a.dat", "0201b.dat"}, {{1, kOneFile}}, 3, 2, "логический файл 2 пуст"},
        ContradictionCase{"MoreLinesThanFiles", {"0101a.dat", "0101b.dat"}, {{1, kOneFile}}, 2, 2, "файлов в нём 1"},
        ContradictionCase{"DescriptionReadsAsEndMarker", {"0101a.dat"},
                          {{1, {{1, "@"}, {2, "data"}, {0, "."}}}}, 2, 1, "читается короче"},
        ContradictionCase{"DataRecordReadsAsEndMarker", {"0101a.dat"},
                          {{1, {{1, "d"}, {2, "abc"}, {2, "@"}, {2, "def"}, {0, "."}}}}, 2, 1, "читается короче"},
        ContradictionCase{"ManifestLineReadsAsEndMarker", {"0101a.dat", "@", "0201b.dat"},
                          {{1, kOneFile}, {2, kOneFile}}, 3, 0, "манифест"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace tlx::tlxpack
