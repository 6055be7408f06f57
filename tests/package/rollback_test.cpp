// Undoing an installation: the work item list's order, removal that never goes through a link, the
// folders a run created, the marker, the shortcut and the registry entry put back as they were.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "messages/zerror.h"
#include "package/desktop_scope.h"
#include "package/folder_tree.h"
#include "package/install_marker.h"
#include "package/install_work_items.h"
#include "package/remove_tree.h"
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

// Writes down when it is done and undone; raises in Do when asked.
class TracedItem : public WorkItem {
 public:
  TracedItem(std::vector<std::string>& trace, std::string name, bool fail = false)
      : trace_(trace), name_(std::move(name)), fail_(fail) {}
  void Do() override {
    trace_.push_back("do " + name_);
    if (fail_) messages::RaiseMsg("cannot " + name_, messages::kMsgFinalText);
  }
  void Rollback(RollbackReport&) override {
    trace_.push_back("undo " + name_);
    if (name_ == "b") throw std::runtime_error("undo of b failed");
  }

 private:
  std::vector<std::string>& trace_;
  std::string name_;
  bool fail_;
};

TEST(WorkItemList, UndoesNewestFirstTheFailedItemTooAndGoesOnAfterAFailedUndo) {
  std::vector<std::string> trace;
  WorkItemList list;
  list.Add(std::make_unique<TracedItem>(trace, "a"));
  list.Add(std::make_unique<TracedItem>(trace, "b"));
  EXPECT_THROW(list.Add(std::make_unique<TracedItem>(trace, "c", true)), messages::ZError);
  RollbackReport report;
  list.Rollback(report);
  EXPECT_EQ(trace, (std::vector<std::string>{"do a", "do b", "do c", "undo c", "undo b", "undo a"}));
  EXPECT_EQ(report.left, (std::vector<std::string>{"undo of b failed"}));
  EXPECT_TRUE(list.empty());

  trace.clear();
  list.Add(std::make_unique<TracedItem>(trace, "d"));
  list.Commit();
  list.Rollback(report);
  EXPECT_EQ(trace, (std::vector<std::string>{"do d"}));
}

class RollbackTest : public ::testing::Test {
 protected:
  std::string Native(const std::string& relative) const { return drive_.NativePath(relative); }
  test::TempDrive drive_;
};

TEST_F(RollbackTest, RemovesTheInstallationFolderButNeverThroughALink) {
  const std::string dir = drive_.Path("a\\b\\tlx");
  const std::vector<std::string> created = CreateFolderLevels(dir);
  ASSERT_EQ(created, (std::vector<std::string>{drive_.Path("a"), drive_.Path("a\\b"), dir}));
  EXPECT_TRUE(CreateFolderLevels(dir).empty());

  WorkItemList list;
  list.Add(std::make_unique<CreatedFoldersItem>(created));
  list.Add(std::make_unique<InstallMarkerItem>(dir));
  list.Add(std::make_unique<InstallFolderContentItem>(dir));
  EXPECT_TRUE(HoldsInstallMarker(dir));
  WriteNativeFile(Native("a/b/tlx/Exe/tlx.exe"), "program");
  WriteNativeFile(Native("a/b/tlx/Rus/LBN/1.bsr"), "base");
  fs::create_directories(FsPath(Native("a/b/tlx/Rus/Rab")));
  ASSERT_TRUE(platform::SetAttributes(drive_.Path("a\\b\\tlx\\Rus\\LBN\\1.bsr"), platform::attr::kReadOnly));
  // Outside the installation: a sentinel, and beside the installation a folder of the user's.
  WriteNativeFile(Native("outside/sentinel.txt"), "keep");
  WriteNativeFile(Native("a/mine.txt"), "mine");
  std::error_code ec;
  fs::create_directory_symlink(FsPath(Native("outside")), FsPath(Native("a/b/tlx/Rus/linked")), ec);
  const bool links = !ec;

  RollbackReport report;
  list.Rollback(report);
  EXPECT_EQ(ReadNativeFile(Native("outside/sentinel.txt")), "keep");
  EXPECT_EQ(ReadNativeFile(Native("a/mine.txt")), "mine");
  EXPECT_FALSE(NativeExists(Native("a/b/tlx/Exe")));
  EXPECT_FALSE(NativeExists(Native("a/b/tlx/Rus/LBN")));
  if (links) {
    // The link stays (the installation makes none), and so do the folders that hold it.
    EXPECT_TRUE(fs::is_symlink(FsPath(Native("a/b/tlx/Rus/linked"))));
    EXPECT_FALSE(NativeExists(Native("a/b/tlx/Rus/Rab")));
    ASSERT_FALSE(report.left.empty());
    EXPECT_NE(report.left[0].find("linked - ссылка"), std::string::npos) << report.left[0];
    EXPECT_FALSE(NativeExists(Native("a/b/tlx/" + std::string(kInstallMarkerName))));
    EXPECT_TRUE(NativeExists(Native("a/b")));
  } else {
    EXPECT_FALSE(NativeExists(Native("a/b")));  // the parents this run created, now empty
  }
  EXPECT_TRUE(NativeExists(Native("a")));  // the user's file keeps it, and that is named
  ASSERT_FALSE(report.left.empty());
  EXPECT_EQ(report.left.back().rfind(drive_.Path("a") + " - ", 0), 0u) << report.left.back();
}

TEST_F(RollbackTest, AFileThatCannotGoIsNamedAndTheRestStillGoes) {
  const std::string dir = drive_.Path("tlx");
  WorkItemList list;
  list.Add(std::make_unique<CreatedFoldersItem>(CreateFolderLevels(dir)));
  list.Add(std::make_unique<InstallFolderContentItem>(dir));
  WriteNativeFile(Native("tlx/Doc/a.txt"), "a");
  WriteNativeFile(Native("tlx/Doc/held.txt"), "held");
  WriteNativeFile(Native("tlx/Exe/tlx.exe"), "b");
  // Held open without sharing deletion, as a running program holds its file.
  platform::OpenOptions options;
  options.share = platform::kShareRead;
  platform::File held = platform::File::Open(dir + "\\Doc\\held.txt", options);
  ASSERT_TRUE(held.valid());

  RollbackReport report;
  list.Rollback(report);
  ASSERT_EQ(report.left.size(), 2u);  // the file, then the installation folder that holds it
  EXPECT_EQ(report.left[0].rfind(dir + "\\Doc\\held.txt - ", 0), 0u) << report.left[0];
  EXPECT_EQ(report.left[1].rfind(dir + " - ", 0), 0u) << report.left[1];
  EXPECT_FALSE(NativeExists(Native("tlx/Doc/a.txt")));
  EXPECT_FALSE(NativeExists(Native("tlx/Exe")));
  held.Close();
}

TEST_F(RollbackTest, ShortcutGoesOnlyWhilePointingIntoTheInstallation) {
  test::ScopedDesktop desktop(drive_.Path("desk"), drive_.Path("windows"));
  fs::create_directories(FsPath(Native("desk")));
  const std::string dir = drive_.Path("tlx");
  const auto link_to = [&](const std::string& name, const std::string& install) {
    platform::ShellLink link;
    link.target = install + "\\Exe\\tlx.exe";
    link.working_folder = install + "\\Exe";
    const std::string path = drive_.Path("desk\\" + name);
    EXPECT_TRUE(platform::WriteShellLink(path, link));
    return path;
  };
  const std::string ours = link_to("ТЛК5_320.LNK", dir);
  const std::string replaced = link_to("ТЛК5_320(1).LNK", drive_.Path("tlx2"));

  RollbackReport report;
  ShortcutItem(ours, dir).Rollback(report);
  ShortcutItem(replaced, dir).Rollback(report);
  ShortcutItem(drive_.Path("desk\\gone.LNK"), dir).Rollback(report);
  EXPECT_FALSE(NativeExists(Native("desk/ТЛК5_320.LNK")));
  EXPECT_TRUE(NativeExists(Native("desk/ТЛК5_320(1).LNK")));
  EXPECT_TRUE(report.left.empty());
}

TEST_F(RollbackTest, RegistryEntryIsPutBackAsItWas) {
  const platform::PlatformConfig saved = platform::CurrentConfig();
  platform::PlatformConfig config = saved;
  config.registry_file = Native("registry.ini");
  platform::Configure(config);
  const std::string key = "Software\\TlxSetupTests\\RollbackEntry";
  platform::DeleteUserRegistryKey(key);

  {  // A new key goes.
    WorkItemList list;
    list.Add(std::make_unique<RegistryKeyItem>(key, platform::RegistryValues{platform::RegistryValue::Number("A", 1)}));
    EXPECT_TRUE(platform::ReadUserRegistryKey(key));
    RollbackReport report;
    list.Rollback(report);
    EXPECT_FALSE(platform::ReadUserRegistryKey(key));
  }
  {  // A key that was there gets its old values back.
    const platform::RegistryValues before = {platform::RegistryValue::Text("InstallLocation", "c:\\first")};
    ASSERT_TRUE(platform::WriteUserRegistryKey(key, before));
    WorkItemList list;
    list.Add(std::make_unique<RegistryKeyItem>(key, platform::RegistryValues{platform::RegistryValue::Text("InstallLocation", "c:\\second")}));
    RollbackReport report;
    list.Rollback(report);
    EXPECT_EQ(platform::ReadUserRegistryKey(key), before);
  }
  platform::DeleteUserRegistryKey(key);
  platform::Configure(saved);
}

TEST_F(RollbackTest, MarkerNamesThisSuiteAndIsNotTakenFromALookAlike) {
  const std::string dir = drive_.Path("tlx");
  ASSERT_TRUE(platform::CreateFolder(dir));
  EXPECT_FALSE(HoldsInstallMarker(dir));
  WriteInstallMarker(dir);
  EXPECT_TRUE(HoldsInstallMarker(dir));
  const std::string text = ReadNativeFile(Native("tlx/" + std::string(kInstallMarkerName)));
  EXPECT_EQ(text.rfind("TlxSetup5_320\r\nVersion=3.2.0\r\n", 0), 0u) << text;

  // Another version's marker, or a file of that name with other contents, is not this suite's.
  WriteNativeFile(Native("tlx/" + std::string(kInstallMarkerName)), "TlxSetup5_320\r\nVersion=3.2.1\r\n");
  EXPECT_FALSE(HoldsInstallMarker(dir));
  WriteNativeFile(Native("tlx/" + std::string(kInstallMarkerName)), "");
  EXPECT_FALSE(HoldsInstallMarker(dir));
  EXPECT_TRUE(RemoveInstallMarker(dir));
  EXPECT_TRUE(RemoveInstallMarker(dir));  // gone already
  EXPECT_TRUE(RemoveInstallMarker(drive_.Path("missing")));
}

}  // namespace
}  // namespace tlx::package
