// Files and folders by name: existence, attributes, delete, move, copy, folders, wildcard listing,
// times, the current folder. Runs natively and under Wine against the Win32 layer.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>

#include "platform/error.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "support/files.h"
#include "support/temp_drive.h"
#include "test_environment.h"

namespace tlx::platform {
namespace {

class FsTest : public testing::Test {
 protected:
  void Put(const std::string& relative, std::string_view bytes) {
    test::WriteNativeFile(drive_.NativePath(relative), bytes);
  }
  std::string Get(const std::string& relative) { return test::ReadNativeFile(drive_.NativePath(relative)); }
  std::string P(const std::string& relative) { return drive_.Path(relative); }

  // The names a listing gives, sorted (the order of a listing differs between file systems).
  std::vector<std::string> Names(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    auto entries = ListFolder(folder, pattern);
    if (!entries) return {"<error " + std::to_string(LastError()) + ">"};
    for (const FolderEntry& e : *entries) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TempDrive drive_;
};

TEST_F(FsTest, CreateListDelete) {
  EXPECT_FALSE(FileExists(P("a.txt")));
  Put("a.txt", "12345");
  ASSERT_TRUE(CreateFolder(P("Sub")));
  EXPECT_TRUE(FileExists(P("a.txt")));
  EXPECT_FALSE(FolderExists(P("a.txt")));
  EXPECT_TRUE(FolderExists(P("Sub")));
  EXPECT_FALSE(FileExists(P("Sub")));

  auto entries = ListFolder(drive_.root(), "*");
  ASSERT_TRUE(entries);
  std::sort(entries->begin(), entries->end(), [](auto& a, auto& b) { return a.name < b.name; });
  ASSERT_EQ(entries->size(), 4u);
  EXPECT_EQ((*entries)[0].name, ".");
  EXPECT_EQ((*entries)[1].name, "..");
  EXPECT_EQ((*entries)[2].name, "Sub");
  EXPECT_TRUE((*entries)[2].attributes & attr::kDirectory);
  EXPECT_EQ((*entries)[3].name, "a.txt");
  EXPECT_EQ((*entries)[3].size, 5u);
  EXPECT_FALSE((*entries)[3].attributes & attr::kDirectory);
  EXPECT_NE((*entries)[3].dos_time, 0u);

  EXPECT_TRUE(DeleteFile(P("a.txt")));
  EXPECT_FALSE(FileExists(P("a.txt")));
  EXPECT_FALSE(DeleteFile(P("a.txt")));
  EXPECT_EQ(LastError(), err::kFileNotFound);
  EXPECT_FALSE(DeleteFile(P("Sub")));
  EXPECT_EQ(LastError(), err::kAccessDenied);
  EXPECT_FALSE(Attributes(P("missing")));
  EXPECT_EQ(LastError(), err::kFileNotFound);
  EXPECT_FALSE(Attributes(P("missing\\x")));
  EXPECT_EQ(LastError(), err::kPathNotFound);
}

TEST_F(FsTest, WildcardListing) {
  for (const char* name : {"a.txt", "b.TXT", "readme", "x.lnk", "ТЛК5_320.LNK", "ab.c", "abc.d"}) Put(name, "");
  ASSERT_TRUE(CreateFolder(P("Dir.x")));
  struct Case {
    const char* pattern;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"*.*", {".", "..", "Dir.x", "a.txt", "ab.c", "abc.d", "b.TXT", "readme", "x.lnk", "ТЛК5_320.LNK"}},
      {"*", {".", "..", "Dir.x", "a.txt", "ab.c", "abc.d", "b.TXT", "readme", "x.lnk", "ТЛК5_320.LNK"}},
      {"*.txt", {"a.txt", "b.TXT"}},
      {"*.lnk", {"x.lnk", "ТЛК5_320.LNK"}},
      {"тлк5_320.lnk", {"ТЛК5_320.LNK"}},
      {"?.txt", {"a.txt", "b.TXT"}},
      {"a?.c", {"ab.c"}},
      {"README", {"readme"}},
      {"*.X", {"Dir.x"}},
      {"nothing*", {}},
  };
  for (const Case& c : cases) {
    auto expected = c.names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(drive_.root(), c.pattern), expected) << c.pattern;
  }
  EXPECT_FALSE(ListFolder(P("missing"), "*"));
  EXPECT_EQ(LastError(), err::kPathNotFound);
}

TEST_F(FsTest, MoveReplaceSemantics) {
  Put("from.txt", "new");
  Put("to.txt", "old");
  EXPECT_FALSE(MoveFile(P("from.txt"), P("to.txt"), false));
  EXPECT_EQ(LastError(), err::kAlreadyExists);
  EXPECT_EQ(Get("to.txt"), "old");
  EXPECT_TRUE(MoveFile(P("from.txt"), P("to.txt"), true));
  EXPECT_EQ(Get("to.txt"), "new");
  EXPECT_FALSE(FileExists(P("from.txt")));

  ASSERT_TRUE(CreateFolder(P("other")));
  EXPECT_TRUE(MoveFile(P("to.txt"), P("other\\moved.txt"), false));
  EXPECT_EQ(Get("other\\moved.txt"), "new");
  EXPECT_FALSE(MoveFile(P("missing.txt"), P("x.txt"), true));
  EXPECT_EQ(LastError(), err::kFileNotFound);

  // A file held open without delete sharing cannot be moved.
  File open = File::Open(P("other\\moved.txt"), {Access::Read, kShareRead | kShareWrite, Disposition::OpenExisting});
  ASSERT_TRUE(open.valid());
  EXPECT_FALSE(MoveFile(P("other\\moved.txt"), P("back.txt"), false));
  EXPECT_EQ(LastError(), err::kSharingViolation);
}

TEST_F(FsTest, CopyReplaceSemantics) {
  Put("src.txt", "source");
  Put("dst.txt", "target");
  EXPECT_FALSE(CopyFile(P("src.txt"), P("dst.txt"), true));
  EXPECT_EQ(LastError(), err::kFileExists);
  EXPECT_EQ(Get("dst.txt"), "target");
  EXPECT_TRUE(CopyFile(P("src.txt"), P("dst.txt"), false));
  EXPECT_EQ(Get("dst.txt"), "source");
  EXPECT_TRUE(CopyFile(P("src.txt"), P("new.txt"), true));
  EXPECT_EQ(Get("new.txt"), "source");
  EXPECT_EQ(Get("src.txt"), "source");
  EXPECT_FALSE(CopyFile(P("missing.txt"), P("x.txt"), false));
  EXPECT_EQ(LastError(), err::kFileNotFound);
  EXPECT_FALSE(FileExists(P("x.txt")));
  EXPECT_FALSE(CopyFile(P("src.txt"), P("no folder\\x.txt"), false));
  EXPECT_EQ(LastError(), err::kPathNotFound);
}

TEST_F(FsTest, ReadOnlyAttribute) {
  Put("ro.txt", "keep");
  auto attributes = Attributes(P("ro.txt"));
  ASSERT_TRUE(attributes);
  EXPECT_FALSE(*attributes & attr::kReadOnly);
  EXPECT_TRUE(*attributes & attr::kArchive);
  ASSERT_TRUE(SetAttributes(P("ro.txt"), attr::kReadOnly));
  EXPECT_EQ(Attributes(P("ro.txt")).value_or(0) & (attr::kReadOnly | attr::kDirectory), attr::kReadOnly);
  EXPECT_FALSE(DeleteFile(P("ro.txt")));
  EXPECT_EQ(LastError(), err::kAccessDenied);
  EXPECT_TRUE(CopyFile(P("ro.txt"), P("copy.txt"), true));  // a read-only file copies
  EXPECT_EQ(Get("copy.txt"), "keep");

  ASSERT_TRUE(SetAttributes(P("ro.txt"), attr::kNormal));
  EXPECT_FALSE(Attributes(P("ro.txt")).value_or(attr::kReadOnly) & attr::kReadOnly);
  EXPECT_TRUE(DeleteFile(P("ro.txt")));
  EXPECT_TRUE(SetAttributes(P("copy.txt"), attr::kNormal));
}

TEST_F(FsTest, ReadOnlyTargetRefusesReplacement) {
  if (!test::ReadOnlyBindsThisUser()) GTEST_SKIP() << "read-only files are writable for this user";
  Put("ro.txt", "keep");
  Put("other.txt", "other");
  ASSERT_TRUE(SetAttributes(P("ro.txt"), attr::kReadOnly));
  EXPECT_FALSE(CopyFile(P("other.txt"), P("ro.txt"), false));
  EXPECT_EQ(LastError(), err::kAccessDenied);
  EXPECT_FALSE(MoveFile(P("other.txt"), P("ro.txt"), true));
  EXPECT_EQ(LastError(), err::kAccessDenied);
  EXPECT_EQ(Get("ro.txt"), "keep");
  // A copy keeps the attribute.
  EXPECT_TRUE(CopyFile(P("ro.txt"), P("copy.txt"), true));
  EXPECT_TRUE(Attributes(P("copy.txt")).value_or(0) & attr::kReadOnly);
}

TEST_F(FsTest, Folders) {
  ASSERT_TRUE(CreateFolder(P("one")));
  EXPECT_FALSE(CreateFolder(P("one")));
  EXPECT_EQ(LastError(), err::kAlreadyExists);
  EXPECT_FALSE(CreateFolder(P("missing\\two")));
  EXPECT_EQ(LastError(), err::kPathNotFound);

  EXPECT_TRUE(CreateFolderTree(P("tree\\Рабочий стол\\c")));
  EXPECT_TRUE(FolderExists(P("tree\\Рабочий стол\\c")));
  EXPECT_TRUE(CreateFolderTree(P("tree\\Рабочий стол\\c")));  // already there
  EXPECT_TRUE(CreateFolderTree(P("tree\\Рабочий стол\\d\\")));  // trailing separator
  Put("file", "x");
  EXPECT_FALSE(CreateFolderTree(P("file\\below")));

  EXPECT_FALSE(RemoveFolder(P("tree")));
  EXPECT_EQ(LastError(), err::kDirNotEmpty);
  EXPECT_TRUE(RemoveFolder(P("tree\\Рабочий стол\\c")));
  EXPECT_FALSE(FolderExists(P("tree\\Рабочий стол\\c")));
  EXPECT_FALSE(RemoveFolder(P("tree\\Рабочий стол\\c")));
  EXPECT_EQ(LastError(), err::kFileNotFound);
}

TEST_F(FsTest, CaseBlindLookup) {
  Put("Cfg\\Cfg.tlx", "config");
  Put("Exe\\Довідка.txt", "help");
  File file = File::Open(P("cfg\\CFG.TLX"), {Access::Read, kShareRead, Disposition::OpenExisting});
  ASSERT_TRUE(file.valid());
  char buffer[6];
  uint32_t done = 0;
  ASSERT_TRUE(file.Read(buffer, 6, &done));
  EXPECT_EQ(std::string(buffer, done), "config");
  EXPECT_TRUE(FolderExists(P("EXE")));
  EXPECT_TRUE(FileExists(P("exe\\ДОВІДКА.TXT")));
  EXPECT_TRUE(FileExists(P("EXE\\довідка.txt")));
  // New names keep the case given, below an existing folder found case-blind.
  ASSERT_TRUE(CreateFolder(P("EXE\\NewOne")));
  EXPECT_TRUE(test::NativeExists(drive_.NativePath("Exe\\NewOne")));
  EXPECT_EQ(Names(P("exe"), "n*"), std::vector<std::string>{"NewOne"});
}

TEST_F(FsTest, FileTimes) {
  const std::time_t before = std::time(nullptr);
  Put("t.txt", "x");
  const std::time_t after = std::time(nullptr);

  auto dos = FileDosTime(P("t.txt"));
  ASSERT_TRUE(dos);
  std::tm unpacked{};
  unpacked.tm_year = static_cast<int>((*dos >> 25) + 80);
  unpacked.tm_mon = static_cast<int>(((*dos >> 21) & 15) - 1);
  unpacked.tm_mday = static_cast<int>((*dos >> 16) & 31);
  unpacked.tm_hour = static_cast<int>((*dos >> 11) & 31);
  unpacked.tm_min = static_cast<int>((*dos >> 5) & 63);
  unpacked.tm_sec = static_cast<int>((*dos & 31) * 2);
  unpacked.tm_isdst = -1;
  const std::time_t written = std::mktime(&unpacked);
  EXPECT_GE(written, before - 2);  // two-second resolution
  EXPECT_LE(written, after);

  auto created = FileCreationTime(P("t.txt"));
  ASSERT_TRUE(created);
  const int64_t unix_seconds = static_cast<int64_t>(*created / 10000000) - 11644473600;
  EXPECT_GE(unix_seconds, before - 2);
  EXPECT_LE(unix_seconds, after + 2);
  EXPECT_FALSE(FileDosTime(P("missing")));
  EXPECT_EQ(LastError(), err::kFileNotFound);
}

TEST_F(FsTest, CurrentFolderAndRelativePaths) {
  const std::string saved = CurrentFolder();
  ASSERT_TRUE(CreateFolder(P("Work")));
  ASSERT_TRUE(SetCurrentFolder(P("Work")));
  const std::string current = CurrentFolder();
  EXPECT_EQ(current.size(), P("Work").size());
  EXPECT_TRUE(current.ends_with("Work")) << current;
  {
    File file = File::Open("rel.txt", {Access::Write, kShareRead, Disposition::CreateNew});
    EXPECT_TRUE(file.valid());
  }
  EXPECT_TRUE(FileExists(P("Work\\rel.txt")));
  EXPECT_TRUE(FileExists("rel.txt"));
  EXPECT_FALSE(SetCurrentFolder(P("missing")));
  EXPECT_EQ(CurrentFolder(), current);
  ASSERT_TRUE(SetCurrentFolder(saved));

  EXPECT_FALSE(ProgramFolder().empty());
  EXPECT_TRUE(FolderExists(ProgramFolder()));
  EXPECT_FALSE(WindowsFolder().empty());
}

}  // namespace
}  // namespace tlx::platform
