// The product folder tree, the reference copies, clearing and measuring folders, and the listings,
// on a temporary drive. Links are made with std::filesystem; where the system refuses them
// (Windows without the privilege) those checks are skipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "messages/zerror.h"
#include "package/clear_folder.h"
#include "package/folder_list.h"
#include "package/folder_size.h"
#include "package/folder_tables.h"
#include "package/folder_tree.h"
#include "package/link_guard.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::package {
namespace {

namespace fs = std::filesystem;
using messages::ZError;
using test::NativeExists;
using test::ReadNativeFile;
using test::WriteNativeFile;

fs::path FsPath(const std::string& native) { return fs::path(std::u8string(native.begin(), native.end())); }

class FolderTreeTest : public ::testing::Test {
 protected:
  // Below the installation folder as a Windows path and as a native path.
  std::string Inst(const std::string& relative) const { return drive_.Path("inst\\" + relative); }
  std::string Native(const std::string& relative) const { return drive_.NativePath("inst\\" + relative); }
  // A link `link` (below the installation folder) to the native folder or file `target`; false when
  // the system does not let this user make one.
  bool MakeLink(const std::string& link, const std::string& target, bool folder) {
    std::error_code ec;
    if (folder) {
      fs::create_directory_symlink(FsPath(target), FsPath(Native(link)), ec);
    } else {
      fs::create_symlink(FsPath(target), FsPath(Native(link)), ec);
    }
    return !ec;
  }
  // The sentinel outside the installation folder that no operation may touch.
  std::string Sentinel() {
    WriteNativeFile(drive_.NativePath("outside\\sentinel.txt"), "keep me");
    return drive_.NativePath("outside");
  }
  void ExpectSentinelKept() {
    EXPECT_EQ(ReadNativeFile(drive_.NativePath("outside\\sentinel.txt")), "keep me");
  }

  test::TempDrive drive_;
  std::string install_ = drive_.Path("inst");
};

std::vector<std::string> FoldersBelow(const std::string& native) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(FsPath(native))) {
    if (entry.is_directory()) found.push_back(fs::relative(entry.path(), FsPath(native)).generic_string());
  }
  std::sort(found.begin(), found.end());
  return found;
}

TEST_F(FolderTreeTest, CreatesTheTreeOfEachVariantWithItsParents) {
  for (int variant : {0, 1}) {
    SCOPED_TRACE(variant);
    const std::string root = drive_.Path("v" + std::to_string(variant) + "\\deep\\inst");
    CreateFolderTree(root, variant);
    const auto folders = FoldersBelow(drive_.NativePath("v" + std::to_string(variant) + "\\deep\\inst"));
    const size_t working = variant == 0 ? 22 : 23;
    EXPECT_EQ(folders.size(), 4 + 2 + 2 * working);
    for (const char* expected : {"Base", "Cfg", "Doc", "Exe", "Ukr", "Rus", "Ukr/Frg_Std", "Rus/AutoSave",
                                 "Rus/quarantine", "Ukr/Etalon"}) {
      EXPECT_TRUE(std::binary_search(folders.begin(), folders.end(), expected)) << expected;
    }
    for (const char* lpd : {"Ukr/LPD", "Rus/LPD"}) {
      EXPECT_EQ(std::binary_search(folders.begin(), folders.end(), lpd), variant == 1) << lpd;
    }
  }
}

TEST_F(FolderTreeTest, CopiesTheReferenceFilesOfEachLanguage) {
  CreateFolderTree(install_, 1);
  // Every source holds its own path, so a copy from the wrong place shows.
  std::vector<std::pair<std::string, std::string>> copies;  // source, target (relative)
  for (size_t language = 0; language < 2; ++language) {
    const std::string lang(kLanguageFolders[language].substr(1));
    for (std::string_view name : kReferenceCopies[language].databases) {
      copies.emplace_back(lang + "\\LBN" + std::string(name), lang + "\\Etalon" + std::string(name));
    }
    const std::string user(kReferenceCopies[language].user_file);
    copies.emplace_back(lang + "\\UserNsi" + user, lang + "\\Etalon" + user);
  }
  for (const char* name : {"\\cfg.tlx", "\\klsstd.tlx", "\\klsuse.tlx"}) {
    copies.emplace_back(std::string("Cfg") + name, std::string("Rus\\Etalon") + name);
  }
  ASSERT_EQ(copies.size(), 15u + 18u);
  for (const auto& [source, target] : copies) WriteNativeFile(Native(source), source);
  WriteNativeFile(Native("Ukr\\Etalon\\1.bsu"), "an older copy, replaced");

  CopyReferenceFiles(install_);

  for (const auto& [source, target] : copies) EXPECT_EQ(ReadNativeFile(Native(target)), source) << target;
  size_t ukr = 0, rus = 0;
  for (const auto& e : fs::directory_iterator(FsPath(Native("Ukr\\Etalon")))) ukr += e.is_regular_file();
  for (const auto& e : fs::directory_iterator(FsPath(Native("Rus\\Etalon")))) rus += e.is_regular_file();
  EXPECT_EQ(ukr, 15u);
  EXPECT_EQ(rus, 18u);
}

TEST_F(FolderTreeTest, AFailedReferenceCopyRaisesTheCopyErrorWithBothNames) {
  CreateFolderTree(install_, 0);
  // Only the first Ukrainian database is there: the second copy fails, nothing after it is made.
  WriteNativeFile(Native("Ukr\\LBN\\1.bsu"), "1");
  try {
    CopyReferenceFiles(install_);
    FAIL() << "no error";
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number(), messages::kMsgWholeText);
    EXPECT_NE(e.Params().find(Inst("Ukr\\LBN\\2.bsu") + "=>" + Inst("Ukr\\Etalon\\2.bsu")), std::string::npos)
        << e.Params();
  }
  EXPECT_TRUE(NativeExists(Native("Ukr\\Etalon\\1.bsu")));
  EXPECT_FALSE(NativeExists(Native("Ukr\\Etalon\\3.bsu")));
}

TEST_F(FolderTreeTest, ReferenceCopiesNeverWriteThroughALinkedEtalon) {
  CreateFolderTree(install_, 1);
  const std::string outside = Sentinel();
  for (size_t language = 0; language < 2; ++language) {
    const std::string lang(kLanguageFolders[language].substr(1));
    for (std::string_view name : kReferenceCopies[language].databases) {
      WriteNativeFile(Native(lang + "\\LBN" + std::string(name)), "db");
    }
    WriteNativeFile(Native(lang + "\\UserNsi" + std::string(kReferenceCopies[language].user_file)), "u");
  }
  fs::remove(FsPath(Native("Ukr\\Etalon")));
  if (!MakeLink("Ukr\\Etalon", outside, true)) GTEST_SKIP() << "no symbolic links here";
  EXPECT_THROW(CopyReferenceFiles(install_), ZError);
  EXPECT_EQ(std::distance(fs::directory_iterator(FsPath(outside)), fs::directory_iterator()), 1);
  ExpectSentinelKept();
}

TEST_F(FolderTreeTest, LinkGuardRefusesLinksAndPathsOutside) {
  CreateFolderTree(install_, 0);
  const std::string outside = Sentinel();
  EXPECT_NO_THROW(RequireNoLinksBelow(install_, Inst("Cfg\\new.tlx")));
  EXPECT_NO_THROW(RequireNoLinksBelow(install_, Inst("Missing\\deeper\\new.tlx")));
  EXPECT_THROW(RequireNoLinksBelow(install_, drive_.Path("outside\\sentinel.txt")), ZError);
  EXPECT_THROW(RequireNoLinksBelow(install_, drive_.Path("inst2\\x")), ZError);
  EXPECT_THROW(RequireNoLinksBelow(install_, install_), ZError);
  if (!MakeLink("Doc\\out", outside, true) || !MakeLink("Exe\\file.lnk", outside + "/sentinel.txt", false)) {
    GTEST_SKIP() << "no symbolic links here";
  }
  for (const std::string& path : {Inst("Doc\\out"), Inst("Doc\\out\\sentinel.txt"), Inst("Doc\\out\\new"),
                                  Inst("Exe\\file.lnk")}) {
    try {
      RequireNoLinksBelow(install_, path);
      ADD_FAILURE() << path;
    } catch (const ZError& e) {
      EXPECT_EQ(e.Number(), messages::kMsgFinalText);
      EXPECT_EQ(e.Params(), "Файл " + path + " - путь проходит через ссылку");
    }
  }
}

TEST_F(FolderTreeTest, ClearFolderLeavesAReadOnlyFileAndTheFolder) {
  WriteNativeFile(Native("a.txt"), "a");
  WriteNativeFile(Native("sub\\deeper\\b.txt"), "b");
  WriteNativeFile(Native("sub2\\c.txt"), "c");
  WriteNativeFile(Native("locked.txt"), "l");
  ASSERT_TRUE(platform::SetAttributes(Inst("locked.txt"), platform::attr::kReadOnly));
  // A read-only probe that can be deleted: the system does not enforce the attribute (Wine run by
  // the super-user), so there is nothing to check.
  WriteNativeFile(drive_.NativePath("probe"), "p");
  platform::SetAttributes(drive_.Path("probe"), platform::attr::kReadOnly);
  if (platform::DeleteFile(drive_.Path("probe"))) GTEST_SKIP() << "read-only not enforced here";

  ClearFolder(install_);

  std::vector<std::string> left;
  for (const auto& e : fs::recursive_directory_iterator(FsPath(drive_.NativePath("inst")))) {
    left.push_back(e.path().filename().string());
  }
  EXPECT_EQ(left, std::vector<std::string>{"locked.txt"});
}

TEST_F(FolderTreeTest, ClearFolderRemovesLinksAsLinks) {
  const std::string outside = Sentinel();
  WriteNativeFile(Native("keep\\x.txt"), "x");
  if (!MakeLink("folder_link", outside, true) || !MakeLink("file_link", outside + "/sentinel.txt", false) ||
      !MakeLink("keep\\up", drive_.NativePath("inst"), true)) {
    GTEST_SKIP() << "no symbolic links here";
  }
  ClearFolder(install_ + "\\");
  EXPECT_TRUE(fs::is_empty(FsPath(drive_.NativePath("inst"))));
  ExpectSentinelKept();
}

TEST_F(FolderTreeTest, FolderSizeAddsThePlainFilesOfTheTree) {
  WriteNativeFile(Native("five.bin"), "12345");
  WriteNativeFile(Native("sub\\seven.bin"), "1234567");
  EXPECT_EQ(FolderSize(install_), 12u);
  EXPECT_EQ(FolderSize(install_ + "\\"), 12u);
  EXPECT_EQ(FolderSize(drive_.Path("missing")), 0u);

  // A file another program holds without sharing counts 0.
  platform::File held = platform::File::Open(
      Inst("five.bin"), {platform::Access::Read, platform::kShareNone, platform::Disposition::OpenExisting, false});
  ASSERT_TRUE(held.valid());
  EXPECT_EQ(FolderSize(install_), 7u);
  held.Close();

  SizeMeasure measure;
  MeasureTarget(install_, measure);
  EXPECT_EQ(measure.PeakSize, 0u);  // not measuring
  measure.enabled = true;
  MeasureTarget(install_, measure);
  EXPECT_EQ(measure.PeakSize, 12u);
  fs::remove(FsPath(Native("sub\\seven.bin")));
  MeasureTarget(install_, measure);
  EXPECT_EQ(measure.PeakSize, 12u);  // the peak stays
}

TEST_F(FolderTreeTest, ListingsGoDepthFirstAndSkipLinkedFolders) {
  for (const char* file : {"b.txt", "a.dat", "x\\c.txt", "x\\y\\d.txt", "z\\e.txt"}) {
    WriteNativeFile(Native(file), file);
  }
  const bool links = MakeLink("x\\loop", drive_.NativePath("inst"), true);
  const std::string base = install_ + "\\";

  std::vector<std::string> folders{"earlier"};
  ListSubfolders(base, folders);
  EXPECT_EQ(folders, (std::vector<std::string>{"earlier", base, base + "x\\", base + "x\\y\\", base + "z\\"}));

  std::vector<std::string> paths{"earlier"};
  EXPECT_EQ(ListFilesDeep(base, "*.txt", paths, true), 4u);
  EXPECT_EQ(paths, (std::vector<std::string>{"earlier", base + "b.txt", base + "x\\c.txt",
                                             base + "x\\y\\d.txt", base + "z\\e.txt"}));
  EXPECT_EQ(ListFilesDeep(base, "*.*", paths, false), 5u);
  EXPECT_EQ(paths.front(), base + "a.dat");

  std::vector<std::string> names{"stale"};
  EXPECT_EQ(ListFiles(base, "*.*", names), 2u);
  EXPECT_EQ(names, (std::vector<std::string>{"a.dat", "b.txt"}));

  std::vector<SSDir> entries;
  EXPECT_EQ(ListFolder(base, "*.*", kSelectFolders, entries), 6u);  // . .. a.dat b.txt x z
  EXPECT_EQ(ListFolder(base + "x\\", "*.*", kSelectFiles, entries), 1u);
  EXPECT_EQ(entries[0].name, "c.txt");
  if (links) {
    EXPECT_EQ(ListFolder(base + "x\\", "loop", kSelectFolders, entries), 1u);
  }
  EXPECT_EQ(ListFolder(drive_.Path("missing\\"), "*.*", kSelectFolders, entries), 0u);
}

}  // namespace
}  // namespace tlx::package
