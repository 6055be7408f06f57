// The POSIX layer's fault seam: each kind of operation fails at its turn with the chosen error and
// changes nothing on disk; other kinds are not counted; a sticky plan keeps failing; disarmed, nothing
// fails. File::Reserve (the room an output gets before it is written) is tested here too.
#include "platform/fault_injection.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/error.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/mapping.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::platform {
namespace {

class FaultInjection : public ::testing::Test {
 protected:
  void SetUp() override { test::WriteNativeFile(drive_.NativePath("old.bin"), "old"); }
  void TearDown() override { DisarmFaults(); }

  File OpenForWrite(const std::string& name, Disposition disposition) {
    return File::Open(drive_.Path(name), {Access::Write, kShareRead, disposition});
  }

  test::TempDrive drive_;
};

TEST_F(FaultInjection, EachKindFailsAtItsTurnAndChangesNothing) {
  struct Case {
    FaultOp op;
    uint32_t error;
    std::function<bool()> action;  // the operation under the seam; true when it succeeded
    std::function<bool()> unchanged;
  };
  const auto old_intact = [&] { return test::ReadNativeFile(drive_.NativePath("old.bin")) == "old"; };
  const auto no_new = [&] { return !test::NativeExists(drive_.NativePath("new.bin")); };
  const Case cases[] = {
      {FaultOp::kCreate, err::kAccessDenied,
       [&] { return OpenForWrite("new.bin", Disposition::CreateAlways).valid(); }, no_new},
      {FaultOp::kCreate, err::kPathNotFound, [&] { return CreateFolder(drive_.Path("sub")); },
       [&] { return !test::NativeExists(drive_.NativePath("sub")); }},
      {FaultOp::kCreate, err::kDiskFull, [&] { return CopyFile(drive_.Path("old.bin"), drive_.Path("new.bin"), true); },
       no_new},
      {FaultOp::kWrite, err::kDiskFull,
       [&] {
         File file = OpenForWrite("old.bin", Disposition::OpenExisting);
         uint32_t done = 7;
         return file.Write("new", 3, &done) || done != 0;
       },
       old_intact},
      {FaultOp::kWrite, err::kDiskFull,
       [&] { return OpenForWrite("new.bin", Disposition::CreateNew).Reserve(1 << 20); },
       [&] { return test::ReadNativeFile(drive_.NativePath("new.bin")).empty(); }},
      {FaultOp::kWrite, err::kDiskFull, [&] { return CopyFile(drive_.Path("old.bin"), drive_.Path("new.bin"), true); },
       no_new},
      {FaultOp::kFlush, err::kDiskFull, [&] { return OpenForWrite("old.bin", Disposition::OpenExisting).Flush(); },
       old_intact},
      {FaultOp::kRename, err::kSharingViolation,
       [&] { return MoveFile(drive_.Path("old.bin"), drive_.Path("new.bin"), false); },
       [&] { return old_intact() && no_new(); }},
      {FaultOp::kDelete, err::kSharingViolation, [&] { return DeleteFile(drive_.Path("old.bin")); }, old_intact},
      {FaultOp::kMap, err::kAccessDenied, [&] { return Mapping::OpenReadOnly(drive_.Path("old.bin")).valid(); },
       old_intact},
      {FaultOp::kMap, err::kNotEnoughMemory, [&] { return Mapping::Anonymous(4096).valid(); }, old_intact},
  };
  const auto reset = [&] {
    DeleteFile(drive_.Path("new.bin"));
    RemoveFolder(drive_.Path("sub"));
    test::WriteNativeFile(drive_.NativePath("old.bin"), "old");
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(FaultOpName(c.op) + " " + std::to_string(c.error));
    ArmFaults({FaultBit(c.op), 1, c.error, false});
    EXPECT_FALSE(c.action());
    EXPECT_EQ(LastError(), c.error);
    EXPECT_EQ(FaultsInjected(), 1u);
    DisarmFaults();
    EXPECT_TRUE(c.unchanged());
    reset();
    EXPECT_TRUE(c.action()) << "disarmed, the same operation succeeds";
    reset();
  }
}

TEST_F(FaultInjection, CountsOnlyTheChosenKindsAndFailsTheNth) {
  ArmFaults({FaultBit(FaultOp::kWrite), 3, err::kDiskFull, false});
  File file = OpenForWrite("new.bin", Disposition::CreateAlways);  // a create: not counted
  ASSERT_TRUE(file.valid());
  uint32_t done = 0;
  EXPECT_TRUE(file.Write("a", 1, &done));
  EXPECT_TRUE(file.Write("b", 1, &done));
  EXPECT_FALSE(file.Write("c", 1, &done));
  EXPECT_EQ(LastError(), err::kDiskFull);
  EXPECT_TRUE(file.Write("d", 1, &done)) << "not sticky: only the third fails";
  EXPECT_EQ(FaultOpsCounted(), 4u);
  file.Close();
  EXPECT_EQ(test::ReadNativeFile(drive_.NativePath("new.bin")), "abd");
}

TEST_F(FaultInjection, StickyPlanKeepsFailingUntilDisarmed) {
  {
    ScopedFaults faults({FaultBit(FaultOp::kCreate) | FaultBit(FaultOp::kWrite), 2, err::kDiskFull, true});
    File file = OpenForWrite("new.bin", Disposition::CreateAlways);
    ASSERT_TRUE(file.valid());
    uint32_t done = 0;
    EXPECT_FALSE(file.Write("a", 1, &done));
    EXPECT_FALSE(CreateFolder(drive_.Path("sub")));
    EXPECT_TRUE(DeleteFile(drive_.Path("old.bin"))) << "deletes are not in the plan";
    EXPECT_EQ(FaultsInjected(), 2u);
  }
  EXPECT_TRUE(CreateFolder(drive_.Path("sub")));
}

TEST_F(FaultInjection, CountingPlanFailsNothing) {
  ArmFaults({kAllFaultOps, 0, err::kDiskFull, true});
  File file = OpenForWrite("new.bin", Disposition::CreateAlways);
  uint32_t done = 0;
  ASSERT_TRUE(file.Write("abc", 3, &done));
  ASSERT_TRUE(file.Flush());
  file.Close();
  ASSERT_TRUE(MoveFile(drive_.Path("new.bin"), drive_.Path("moved.bin"), false));
  ASSERT_TRUE(DeleteFile(drive_.Path("moved.bin")));
  EXPECT_EQ(FaultOpsCounted(), 5u);
  EXPECT_EQ(FaultsInjected(), 0u);
}

TEST(FileReserve, GrowsTheFileToTheRoomAndKeepsThePosition) {
  test::TempDrive drive;
  File file = File::Open(drive.Path("out.bin"), {Access::ReadWrite, kShareRead, Disposition::CreateAlways});
  ASSERT_TRUE(file.valid());
  uint32_t done = 0;
  ASSERT_TRUE(file.Write("ab", 2, &done));
  ASSERT_TRUE(file.Reserve(100000));
  EXPECT_EQ(file.Size(), 100000);
  EXPECT_EQ(file.Tell(), 2);
  ASSERT_TRUE(file.Reserve(10)) << "a smaller room cuts nothing";
  EXPECT_EQ(file.Size(), 100000);
  file.Close();
  const std::string bytes = test::ReadNativeFile(drive.NativePath("out.bin"));
  EXPECT_EQ(bytes.substr(0, 2), "ab");
  EXPECT_EQ(bytes.find_first_not_of('\0', 2), std::string::npos);
}

}  // namespace
}  // namespace tlx::platform
