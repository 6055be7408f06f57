// Removing an installation by its record: what the installation wrote goes, the user's files stay
// with their folders, the shortcut and the registry entry go only while they are this
// installation's, a file that cannot go keeps the uninstaller for another run, and nothing is
// removed through a link.
#include <gtest/gtest.h>

#include <filesystem>

#include "messages/zerror.h"
#include "package/desktop_scope.h"
#include "package/install_record.h"
#include "package/uninstall.h"
#include "package/uninstall_entry.h"
#include "platform/config.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::package {
namespace {

namespace fs = std::filesystem;
using test::NativeExists;
using test::ReadNativeFile;
using test::WriteNativeFile;

fs::path FsPath(const std::string& native) { return fs::path(std::u8string(native.begin(), native.end())); }

// An installation made by hand below c:\work\tlx (c:\work created by it too), with its record, its
// shortcut, its uninstaller and its registry entry.
class UninstallTest : public ::testing::Test {
 protected:
  UninstallTest() : saved_(platform::CurrentConfig()) {
    platform::PlatformConfig config = saved_;
    config.registry_file = drive_.NativePath("registry.ini");
    platform::Configure(config);
    fs::create_directories(FsPath(drive_.NativePath("desk")));
    record_.version = "3.2.0";
    record_.install_dir = dir_;
    record_.created_parents = {drive_.Path("work")};
    for (const char* folder : {"Exe", "Rus", "Rus\\Rab", "Rus\\LBN", "Cfg"}) {
      fs::create_directories(FsPath(Native(folder)));
      record_.FolderCreated(dir_ + "\\" + folder);
    }
    for (const char* file : {"Exe\\tlx.exe", "Rus\\LBN\\1.bsr", "Cfg\\Cfg.tlx"}) {
      WriteNativeFile(Native(file), file);
      record_.FileWritten(dir_ + "\\" + file);
    }
    platform::SetAttributes(dir_ + "\\Rus\\LBN\\1.bsr", platform::attr::kReadOnly);
    platform::ShellLink link;
    link.target = dir_ + "\\Exe\\tlx.exe";
    link.working_folder = dir_ + "\\Exe";
    record_.shortcut = drive_.Path("desk\\ТЛК5_320.LNK");
    EXPECT_TRUE(platform::WriteShellLink(record_.shortcut, link));
    WriteNativeFile(Native(kUninstallProgramName), "uninstaller");
    WriteInstallRecord(record_);
    EXPECT_TRUE(platform::WriteUserRegistryKey(kUninstallKey, UninstallEntryValues(dir_, 1000, "20240102")));
  }
  ~UninstallTest() override {
    platform::DeleteUserRegistryKey(kUninstallKey);
    platform::Configure(saved_);
  }

  std::string Native(const std::string& relative) const { return drive_.NativePath("work\\tlx\\" + relative); }
  bool EntryThere() const { return platform::ReadUserRegistryKey(kUninstallKey).has_value(); }

  test::TempDrive drive_;
  test::ScopedDesktop desktop_{drive_.Path("desk"), drive_.Path("windows")};
  std::string dir_ = drive_.Path("work\\tlx");
  InstallRecord record_;

 private:
  platform::PlatformConfig saved_;
};

TEST_F(UninstallTest, RemovesEverythingWhenTheUserAddedNothing) {
  const UninstallReport report = Uninstall(dir_);
  EXPECT_TRUE(report.left.empty()) << report.left[0];
  EXPECT_TRUE(report.kept_folders.empty());
  EXPECT_FALSE(NativeExists(drive_.NativePath("work")));
  EXPECT_FALSE(NativeExists(drive_.NativePath("desk/ТЛК5_320.LNK")));
  EXPECT_FALSE(EntryThere());
  EXPECT_THROW(Uninstall(dir_), messages::ZError);  // nothing left to remove
}

TEST_F(UninstallTest, KeepsTheUsersFilesAndNamesTheirFolders) {
  WriteNativeFile(Native("Rus/Rab/смета.est"), "the user's estimate");
  WriteNativeFile(Native("notes.txt"), "the user's notes");
  fs::create_directories(FsPath(Native("Rus/Rab/Архив")));
  const UninstallReport report = Uninstall(dir_);
  EXPECT_TRUE(report.left.empty()) << report.left[0];
  EXPECT_EQ(report.kept_folders, (std::vector<std::string>{dir_ + "\\Rus\\Rab", dir_}));
  EXPECT_EQ(ReadNativeFile(Native("Rus/Rab/смета.est")), "the user's estimate");
  EXPECT_TRUE(NativeExists(Native("Rus/Rab/Архив")));
  EXPECT_EQ(ReadNativeFile(Native("notes.txt")), "the user's notes");
  for (const char* gone : {"Exe", "Rus/LBN", "Cfg", "Uninstall.exe", "Uninstall.lst"}) {
    EXPECT_FALSE(NativeExists(Native(gone))) << gone;
  }
  EXPECT_FALSE(EntryThere());
  EXPECT_FALSE(NativeExists(drive_.NativePath("desk/ТЛК5_320.LNK")));
}

TEST_F(UninstallTest, LeavesTheShortcutAndEntryOfAnotherInstallation) {
  platform::ShellLink other;
  other.target = drive_.Path("other\\Exe\\tlx.exe");
  other.working_folder = drive_.Path("other\\Exe");
  ASSERT_TRUE(platform::WriteShellLink(record_.shortcut, other));  // the user replaced the link
  ASSERT_TRUE(platform::WriteUserRegistryKey(kUninstallKey, UninstallEntryValues(drive_.Path("other"), 1, "20240103")));
  const UninstallReport report = Uninstall(dir_);
  EXPECT_TRUE(report.left.empty()) << report.left[0];
  EXPECT_TRUE(NativeExists(drive_.NativePath("desk/ТЛК5_320.LNK")));
  EXPECT_TRUE(EntryThere());
  EXPECT_FALSE(NativeExists(drive_.NativePath("work")));
}

TEST_F(UninstallTest, AFileInUseKeepsTheUninstallerForAnotherRun) {
  platform::OpenOptions options;
  options.share = platform::kShareRead;
  platform::File held = platform::File::Open(dir_ + "\\Exe\\tlx.exe", options);  // the suite runs
  ASSERT_TRUE(held.valid());
  UninstallReport report = Uninstall(dir_);
  ASSERT_EQ(report.left.size(), 1u);
  EXPECT_EQ(report.left[0].rfind(dir_ + "\\Exe\\tlx.exe - ", 0), 0u) << report.left[0];
  EXPECT_FALSE(NativeExists(Native("Cfg/Cfg.tlx")));
  EXPECT_TRUE(NativeExists(Native("Uninstall.exe")));
  EXPECT_TRUE(NativeExists(Native("Uninstall.lst")));
  EXPECT_TRUE(EntryThere());
  held.Close();

  report = Uninstall(dir_);
  EXPECT_TRUE(report.left.empty()) << report.left[0];
  EXPECT_FALSE(NativeExists(drive_.NativePath("work")));
  EXPECT_FALSE(EntryThere());
}

TEST_F(UninstallTest, NeverRemovesThroughALink) {
  // The user replaced Rus\LBN by a link to a folder of their own that holds a file of the same name.
  WriteNativeFile(drive_.NativePath("mine/1.bsr"), "the user's base");
  fs::path lbn = FsPath(Native("Rus/LBN"));
  fs::permissions(lbn / "1.bsr", fs::perms::owner_write, fs::perm_options::add);
  fs::remove_all(lbn);
  std::error_code ec;
  fs::create_directory_symlink(FsPath(drive_.NativePath("mine")), lbn, ec);
  if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
  const UninstallReport report = Uninstall(dir_);
  EXPECT_EQ(ReadNativeFile(drive_.NativePath("mine/1.bsr")), "the user's base");
  EXPECT_TRUE(fs::is_symlink(lbn));
  EXPECT_FALSE(NativeExists(Native("Exe")));
}

TEST_F(UninstallTest, WithoutARecordNothingIsTouched) {
  fs::remove(FsPath(Native("Uninstall.lst")));
  EXPECT_THROW(Uninstall(dir_), messages::ZError);
  EXPECT_TRUE(NativeExists(Native("Exe/tlx.exe")));
  EXPECT_TRUE(EntryThere());
  // A record written for another folder is not this folder's.
  InstallRecord moved = record_;
  moved.install_dir = drive_.Path("work\\tlx2");
  fs::create_directories(FsPath(drive_.NativePath("work/tlx2")));
  WriteInstallRecord(moved);
  fs::copy_file(FsPath(drive_.NativePath("work/tlx2/Uninstall.lst")), FsPath(Native("Uninstall.lst")));
  EXPECT_THROW(Uninstall(dir_), messages::ZError);
  EXPECT_TRUE(NativeExists(Native("Exe/tlx.exe")));
}

}  // namespace
}  // namespace tlx::package
