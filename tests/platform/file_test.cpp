// Files through the platform layer: creation dispositions, sharing between openers, positions and
// sizes, error codes. Runs natively and under Wine against the Win32 layer.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/error.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "support/files.h"
#include "support/temp_drive.h"
#include "test_environment.h"

namespace tlx::platform {
namespace {

class FileTest : public testing::Test {
 protected:
  void Put(const std::string& relative, std::string_view bytes) {
    test::WriteNativeFile(drive_.NativePath(relative), bytes);
  }
  std::string Get(const std::string& relative) { return test::ReadNativeFile(drive_.NativePath(relative)); }
  File Open(const std::string& relative, Access access, uint8_t share, Disposition disposition) {
    return File::Open(drive_.Path(relative), OpenOptions{access, share, disposition, false});
  }

  test::TempDrive drive_;
};

struct DispositionCase {
  const char* name;
  bool existing;
  Disposition disposition;
  bool opens;
  uint32_t error;     // LastError afterwards (on success: 183 when an existing file was opened)
  int64_t size;       // size once open (the existing file holds 5 bytes)
};

TEST_F(FileTest, CreationDispositions) {
  const DispositionCase cases[] = {
      {"CreateNew on existing", true, Disposition::CreateNew, false, err::kFileExists, 0},
      {"CreateNew on missing", false, Disposition::CreateNew, true, 0, 0},
      {"CreateAlways on existing", true, Disposition::CreateAlways, true, err::kAlreadyExists, 0},
      {"CreateAlways on missing", false, Disposition::CreateAlways, true, 0, 0},
      {"OpenExisting on existing", true, Disposition::OpenExisting, true, 0, 5},
      {"OpenExisting on missing", false, Disposition::OpenExisting, false, err::kFileNotFound, 0},
      {"OpenAlways on existing", true, Disposition::OpenAlways, true, err::kAlreadyExists, 5},
      {"OpenAlways on missing", false, Disposition::OpenAlways, true, 0, 0},
      {"TruncateExisting on existing", true, Disposition::TruncateExisting, true, 0, 0},
      {"TruncateExisting on missing", false, Disposition::TruncateExisting, false, err::kFileNotFound, 0},
  };
  int n = 0;
  for (const DispositionCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = "f" + std::to_string(++n) + ".bin";
    if (c.existing) Put(name, "hello");
    SetLastError(12345);
    File file = Open(name, Access::ReadWrite, kShareRead, c.disposition);
    EXPECT_EQ(file.valid(), c.opens);
    EXPECT_EQ(LastError(), c.error);
    if (file.valid()) {
      EXPECT_EQ(file.Size(), c.size);
    }
    file.Close();
    EXPECT_EQ(FileExists(drive_.Path(name)), c.existing || c.opens);
  }
}

TEST_F(FileTest, MissingFolderAndFolderAsFile) {
  File file = Open("no such folder\\x.bin", Access::Read, kShareRead, Disposition::OpenExisting);
  EXPECT_FALSE(file.valid());
  EXPECT_EQ(LastError(), err::kPathNotFound);
  file = Open("no such folder\\x.bin", Access::Write, kShareRead, Disposition::CreateAlways);
  EXPECT_FALSE(file.valid());
  EXPECT_EQ(LastError(), err::kPathNotFound);

  ASSERT_TRUE(CreateFolder(drive_.Path("sub")));
  file = Open("sub", Access::Read, kShareRead, Disposition::OpenExisting);
  EXPECT_FALSE(file.valid());
  EXPECT_EQ(LastError(), err::kAccessDenied);
}

struct ShareCase {
  Access first_access;
  uint8_t first_share;
  Access second_access;
  uint8_t second_share;
  bool second_opens;
};

TEST_F(FileTest, SharingBetweenOpeners) {
  constexpr uint8_t kRW = kShareRead | kShareWrite;
  const ShareCase cases[] = {
      {Access::Read, kShareRead, Access::Read, kShareRead, true},
      {Access::Read, kShareRead, Access::Write, kRW, false},       // first forbids writers
      {Access::Read, kRW, Access::Write, kShareRead, true},
      {Access::Read, kRW, Access::Read, kShareWrite, false},       // second forbids the first's reading
      {Access::Write, kShareRead, Access::Read, kRW, true},
      {Access::Write, kShareRead, Access::Read, kShareRead, false},  // second forbids the first's writing
      {Access::ReadWrite, kShareNone, Access::Read, kRW, false},
      {Access::ReadWrite, kRW, Access::ReadWrite, kRW, true},
      {Access::Read, kShareNone, Access::Read, kRW, false},
  };
  Put("shared.bin", "12345");
  for (size_t i = 0; i < std::size(cases); ++i) {
    const ShareCase& c = cases[i];
    SCOPED_TRACE("case " + std::to_string(i));
    File first = Open("shared.bin", c.first_access, c.first_share, Disposition::OpenExisting);
    ASSERT_TRUE(first.valid());
    File second = Open("shared.bin", c.second_access, c.second_share, Disposition::OpenExisting);
    EXPECT_EQ(second.valid(), c.second_opens);
    if (!c.second_opens) {
      EXPECT_EQ(LastError(), err::kSharingViolation);
    }
  }
  // A refused CreateAlways must not cut the file.
  {
    File reader = Open("shared.bin", Access::Read, kShareRead, Disposition::OpenExisting);
    File writer = Open("shared.bin", Access::Write, kShareRead, Disposition::CreateAlways);
    EXPECT_FALSE(writer.valid());
    EXPECT_EQ(LastError(), err::kSharingViolation);
  }
  EXPECT_EQ(Get("shared.bin"), "12345");
  // Once the first opener is gone, the same open succeeds.
  File again = Open("shared.bin", Access::Write, kShareNone, Disposition::OpenExisting);
  EXPECT_TRUE(again.valid());
}

TEST_F(FileTest, DeleteWhileOpen) {
  Put("a.bin", "a");
  {
    File open = Open("a.bin", Access::Read, kShareRead | kShareWrite, Disposition::OpenExisting);
    ASSERT_TRUE(open.valid());
    EXPECT_FALSE(DeleteFile(drive_.Path("a.bin")));
    EXPECT_EQ(LastError(), err::kSharingViolation);
  }
  EXPECT_TRUE(DeleteFile(drive_.Path("a.bin")));
  Put("b.bin", "b");
  {
    File open = Open("b.bin", Access::Read, kShareRead | kShareDelete, Disposition::OpenExisting);
    ASSERT_TRUE(open.valid());
    EXPECT_TRUE(DeleteFile(drive_.Path("b.bin")));
  }
  EXPECT_FALSE(FileExists(drive_.Path("b.bin")));
}

TEST_F(FileTest, ReadWriteSeekSetEnd) {
  File file = Open("data.bin", Access::ReadWrite, kShareNone, Disposition::CreateNew);
  ASSERT_TRUE(file.valid());
  uint32_t done = 0;
  ASSERT_TRUE(file.Write("0123456789", 10, &done));
  EXPECT_EQ(done, 10u);
  EXPECT_EQ(file.Tell(), 10);
  int64_t position = -1;
  ASSERT_TRUE(file.Seek(-4, Origin::End, &position));
  EXPECT_EQ(position, 6);
  char buffer[16] = {};
  ASSERT_TRUE(file.Read(buffer, sizeof buffer, &done));
  EXPECT_EQ(done, 4u);
  EXPECT_EQ(std::string(buffer, done), "6789");
  ASSERT_TRUE(file.Read(buffer, sizeof buffer, &done));  // at the end: success, nothing read
  EXPECT_EQ(done, 0u);

  EXPECT_FALSE(file.Seek(-11, Origin::End));
  EXPECT_EQ(LastError(), err::kNegativeSeek);
  EXPECT_FALSE(file.Seek(-1, Origin::Begin));
  EXPECT_EQ(LastError(), err::kNegativeSeek);
  EXPECT_EQ(file.Tell(), 10);  // a refused seek leaves the position

  ASSERT_TRUE(file.Seek(3, Origin::Begin));
  ASSERT_TRUE(file.Seek(1, Origin::Current, &position));
  EXPECT_EQ(position, 4);
  ASSERT_TRUE(file.SetEnd());
  EXPECT_EQ(file.Size(), 4);
  // Beyond four gigabytes: positions are 64-bit.
  const int64_t far = (int64_t{1} << 32) + 7;
  ASSERT_TRUE(file.Seek(far, Origin::Begin, &position));
  EXPECT_EQ(position, far);
  ASSERT_TRUE(file.Seek(0, Origin::Begin));
  ASSERT_TRUE(file.Flush());
  ASSERT_TRUE(file.Close());
  EXPECT_FALSE(file.valid());
  EXPECT_EQ(Get("data.bin"), "0123");
}

TEST_F(FileTest, ErrorSurvivesCloseAndDestruction) {
  Put("x.bin", "x");
  {
    File file = Open("x.bin", Access::Read, kShareRead, Disposition::OpenExisting);
    ASSERT_TRUE(file.valid());
    EXPECT_FALSE(file.Seek(-1, Origin::Begin));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(LastError(), err::kNegativeSeek);
  }
  {
    File file = Open("x.bin", Access::Read, kShareRead, Disposition::OpenExisting);
    EXPECT_FALSE(file.Seek(-1, Origin::Begin));
  }
  EXPECT_EQ(LastError(), err::kNegativeSeek);
}

TEST_F(FileTest, MoveKeepsOwnershipAndReleaseGivesItUp) {
  Put("m.bin", "m");
  File a = Open("m.bin", Access::Read, kShareNone, Disposition::OpenExisting);
  ASSERT_TRUE(a.valid());
  File b = std::move(a);
  EXPECT_FALSE(a.valid());
  EXPECT_TRUE(b.valid());
  File c = File::Adopt(b.release());
  EXPECT_FALSE(b.valid());
  char byte = 0;
  uint32_t done = 0;
  ASSERT_TRUE(c.Read(&byte, 1, &done));
  EXPECT_EQ(byte, 'm');
}

TEST_F(FileTest, ReadOnlyFileRefusesWriters) {
  if (!test::ReadOnlyBindsThisUser()) GTEST_SKIP() << "read-only files are writable for this user";
  Put("ro.bin", "keep");
  ASSERT_TRUE(SetAttributes(drive_.Path("ro.bin"), attr::kReadOnly));
  const Disposition writes[] = {Disposition::OpenExisting, Disposition::CreateAlways, Disposition::OpenAlways,
                                Disposition::TruncateExisting};
  for (Disposition d : writes) {
    File file = Open("ro.bin", Access::Write, kShareRead, d);
    EXPECT_FALSE(file.valid()) << static_cast<int>(d);
    EXPECT_EQ(LastError(), err::kAccessDenied);
  }
  File reader = Open("ro.bin", Access::Read, kShareRead, Disposition::OpenExisting);
  EXPECT_TRUE(reader.valid());
  EXPECT_EQ(Get("ro.bin"), "keep");
}

}  // namespace
}  // namespace tlx::platform
