// Install buffers whose record chain turns back on itself, installed through the real install step:
// the loop is found wherever it closes (on the description record, a data record, a deleted record,
// a skipped record or the record that ends a stored file; in the first or a later stored file; one
// record, two, or hundreds long), the step ends with the record file's error and writes nothing.
// The installer's file-by-file reading finds it too when it is handed such a buffer directly.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "install_fixture.h"
#include "messages/zerror.h"
#include "package/buffer_extract.h"
#include "package/folder_tree.h"
#include "store/compound_builder.h"
#include "store/record_format.h"
#include "store/scramble.h"
#include "store/sfile.h"
#include "store/wfile.h"
#include "store/wrec.h"
#include "support/files.h"

namespace tlx::package {
namespace {

using messages::ZError;

constexpr uint32_t kP = 0 + store::ScrambleOffset;  // group 0

// Logical file 1 holds first.dat and then second.dat. Records, by index:
//   0 description (type 1), 1..n data of first.dat with a deleted record after the first one,
//   then its end (type 0), data of second.dat, a skipped record (type 1), data, its end.
struct Chain {
  std::vector<uint32_t> address;  // of each record, in chain order
  size_t description = 0, first_data = 0, deleted = 0, last_first_data = 0, first_end = 0;
  size_t second_data = 0, skipped = 0, second_end = 0;
};

Chain WriteBuffer(const std::string& path, size_t first_records) {
  store::CompoundFileBuilder builder(path, 2, kP);
  builder.BeginLogical(0);
  builder.AddRecord(0, "0101first.dat");
  builder.AddRecord(0, "0101second.dat");
  builder.EndLogical();
  builder.BeginLogical(1);
  Chain chain;
  auto add = [&](uint8_t type, std::string data) {
    chain.address.push_back(builder.AddRecord(type, data));
    return chain.address.size() - 1;
  };
  chain.description = add(1, "first.dat|second.dat");
  chain.first_data = add(kFileDataRecord, "A0");
  chain.address.push_back(builder.AddDeletedRecord(kFileDataRecord, "gone"));
  chain.deleted = chain.address.size() - 1;
  for (size_t i = 1; i < first_records; ++i) chain.last_first_data = add(kFileDataRecord, "A" + std::to_string(i));
  chain.first_end = add(kStoredFileEnd, ".");
  chain.second_data = add(kFileDataRecord, "B0");
  chain.skipped = add(1, "skipped");
  add(kFileDataRecord, "B1");
  chain.second_end = add(kStoredFileEnd, ".");
  builder.EndLogical();
  builder.Finish();
  return chain;
}

// Sets the link of the record at `from` to `to`, in the scrambled file.
void Relink(const std::string& path, uint32_t from, uint32_t to) {
  store::SFile file(path, store::kSFileReadWrite);
  uint8_t head[store::kRecordHeadSize];
  file.Seek(from);
  file.Read(head, sizeof head);
  // Every head is scrambled with the key of its address (deleted records keep only their data plain).
  store::XorScramble(head, sizeof head, store::RecordKey(from, kP));
  store::PutU32(head + 1, to);
  store::XorScramble(head, sizeof head, store::RecordKey(from, kP));
  file.Seek(from);
  file.Write(head, sizeof head);
  file.Close();
}

struct CycleCase {
  const char* label;
  size_t first_records;  // data records of first.dat
  size_t Chain::*from;
  size_t Chain::*to;
};

class ChainCycleTest : public InstallFixture, public ::testing::WithParamInterface<CycleCase> {
 protected:
  std::string WriteCycle() {
    const std::string path = drive_.Path("raw.buf");
    const CycleCase& c = GetParam();
    const Chain chain = WriteBuffer(path, c.first_records);
    Relink(path, chain.address[chain.*(c.from)], chain.address[chain.*(c.to)]);
    return path;
  }
};

TEST_P(ChainCycleTest, TheInstallStepRefusesTheBufferBeforeWritingAnything) {
  WriteCycle();
  AddRawBuffer(0, 0);
  try {
    Install(1);
    ADD_FAILURE() << "installed";
  } catch (const ZError& e) {
    EXPECT_NE(e.Params().find("зациклена"), std::string::npos) << e.Params();
    EXPECT_NE(e.Params().find("InsBf"), std::string::npos) << e.Params();
  }
  EXPECT_EQ(InstalledFiles(), std::vector<std::string>{});
}

// Without the check beforehand: the reading of one stored file after another stops at the loop as
// soon as it reaches it, or (a loop behind the last file) writes both files whole; a file is never
// left behind with part of its data.
TEST_P(ChainCycleTest, FileByFileReadingNeverLeavesAMisreadFile) {
  const std::string path = WriteCycle();
  std::string first;
  for (size_t i = 0; i < GetParam().first_records; ++i) first += "A" + std::to_string(i);
  const std::pair<std::string, std::string> files[] = {{"Base/first.dat", first}, {"Base/second.dat", "B0B1"}};
  CreateFolderTree(install_dir_, 1);
  store::WFile buffer(path, store::ScrambleKey{kP});
  const std::vector<NumberedLine> manifest = ReadManifest(buffer, 0);
  const std::vector<const NumberedLine*> lines = {&manifest[0], &manifest[1]};
  store::WRec record;
  bool stopped = false;
  try {
    ExtractBufferFile(buffer, 1, {install_dir_, 0, 1}, lines, record);
  } catch (const ZError& e) {
    EXPECT_NE(e.Params().find("зациклена"), std::string::npos) << e.Params();
    stopped = true;
  }
  for (const auto& [file, bytes] : files) {
    if (stopped && !test::NativeExists(Native(file))) continue;
    EXPECT_EQ(test::ReadNativeFile(Native(file)), bytes) << file;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cycles, ChainCycleTest,
    ::testing::Values(
        CycleCase{"DescriptionOnItself", 2, &Chain::description, &Chain::description},
        CycleCase{"DataOnItself", 2, &Chain::first_data, &Chain::first_data},
        CycleCase{"DeletedOnItself", 2, &Chain::deleted, &Chain::deleted},
        CycleCase{"FileEndOnItself", 2, &Chain::first_end, &Chain::first_end},
        CycleCase{"SkippedOnItselfInTheSecondFile", 2, &Chain::skipped, &Chain::skipped},
        CycleCase{"TwoRecordsClosingOnTheDescription", 2, &Chain::first_data, &Chain::description},
        CycleCase{"TwoRecordsClosingOnTheFirstFileEnd", 2, &Chain::second_data, &Chain::first_end},
        CycleCase{"SecondFileClosingOnItsFirstRecord", 2, &Chain::second_end, &Chain::second_data},
        CycleCase{"LongClosingOnData", 300, &Chain::last_first_data, &Chain::first_data},
        CycleCase{"LongClosingOnTheDescription", 300, &Chain::second_end, &Chain::description}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace tlx::package
