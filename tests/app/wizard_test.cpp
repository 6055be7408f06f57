// The wizard's order and its ways out, driven by a scripted view and fake install actions.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/wizard.h"
#include "config/config_record.h"
#include "drive_map.h"
#include "messages/recording_sink.h"
#include "messages/zerror.h"
#include "package/install_marker.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "store/compound_builder.h"
#include "store/settings.h"
#include "store/settings_file.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::app {
namespace {

using Steps = std::vector<std::string>;

class ScriptedView : public WizardView {
 public:
  void HideStartPanel() override { steps.push_back("hide start"); }
  void HideProgressPanel() override { steps.push_back("hide progress"); }
  std::optional<int32_t> ShowVariant() override {
    steps.push_back("variant");
    return variant;
  }
  bool ShowInsDir(TInsDir& window) override {
    steps.push_back("folder");
    required_label = window.LReq;
    required = window.Required;
    if (window.Terminated()) return false;
    window.FormShow();
    return folder(window);
  }
  void ShowSettings(store::TNstr& window) override {
    steps.push_back("settings");
    settings(window);
  }
  void ShowFinish() override { steps.push_back("finish"); }
  platform::Size Screen() const override { return {1024, 768}; }
  void CloseMain() override { steps.push_back("close"); }

  std::optional<int32_t> variant = 1;
  // The folder each run installs into (the test's drive, never the machine's own c:).
  std::string folder_text;
  std::function<bool(TInsDir&)> folder = [this](TInsDir& w) { return Accept(w); };
  bool Accept(TInsDir& w) {
    w.SetFolderText(folder_text);
    return w.KNextClick() == EInsDirClick::eidc_CloseOk;
  }
  std::function<void(store::TNstr&)> settings = [](store::TNstr&) {};
  Steps steps;
  std::string required_label;
  uint64_t required = 0;
};

class FakeActions : public InstallActions {
 public:
  explicit FakeActions(Steps& steps) : steps_(steps) {}
  void ClearFolder(const std::string& folder) override { steps_.push_back("clear " + folder); }
  bool InstallPackage(TInsMain& main) override {
    steps_.push_back("install " + std::to_string(main.InstallVariant));
    if (install) install(main);
    return result;
  }
  std::optional<std::string> PlaceDesktopShortcut(const std::string& dir, const std::string& name) override {
    steps_.push_back("shortcut " + dir + " " + name);
    return std::nullopt;
  }
  void RegisterUninstaller(TInsMain& main, package::WorkItemList&) override {
    steps_.push_back("register");
    if (register_uninstaller) register_uninstaller(main);
  }
  void RolledBack(const package::RollbackReport& report) override {
    steps_.push_back("rolled back");
    rollback = report;
  }

  bool result = true;
  std::function<void(TInsMain&)> install;
  std::function<void(TInsMain&)> register_uninstaller;
  package::RollbackReport rollback;

 private:
  Steps& steps_;
};

// The files the settings step needs, as an installation leaves them.
void WriteInstalledFiles(const std::string& dir) {
  platform::CreateFolderTree(dir + "\\Cfg");
  store::ReplaceFileContents(dir + "\\Cfg\\Cfg.tlx", std::vector<uint8_t>(100, 0));
  for (const char* nsi : {"\\Ukr\\UserNsi\\userukr.nsi", "\\Rus\\UserNsi\\userrus.nsi"}) {
    const std::string name = dir + nsi;
    platform::CreateFolderTree(name.substr(0, name.rfind('\\')));
    store::CompoundFileBuilder(name, store::kNsiLogicalFiles, 0).Finish();
  }
}

class WizardTest : public ::testing::Test {
 protected:
  WizardTest() : saved_cwd_(std::filesystem::current_path()) {
    std::filesystem::create_directories(drive.NativePath("dist"));
    test::WriteNativeFile(drive.NativePath("dist/TlxSetup_5_320.cfg"), std::string("\x00\x10\x00\x00", 4));
    platform::SetCurrentFolder(drive.Path("dist"));
    view.folder_text = drive.Path("tlx5_320");
    actions.install = [this](TInsMain& m) {
      WriteInstalledFiles(m.InstallDir);
      m.Measure.PeakSize = 0x0102030405060708u;
    };
  }
  ~WizardTest() override { std::filesystem::current_path(saved_cwd_); }

  // Shows the main window for the first time, then runs "Дальше".
  std::optional<EWizardEnd> Run() {
    platform::SetCurrentFolder(drive.Path("dist"));
    EXPECT_TRUE(main.FormShow({1024, 768}));
    platform::SetCurrentFolder(drive.Path("dist\\.."));
    return Button1Click(main, view, actions);
  }
  bool InstalledFolderExists() const { return test::NativeExists(drive.NativePath("tlx5_320")); }

  test::TempDrive drive;
  test::SinkScope scope;
  TInsMain main;
  ScriptedView view;
  FakeActions actions{view.steps};

 private:
  std::filesystem::path saved_cwd_;
};

TEST_F(WizardTest, WholeRunInOrder) {
  view.variant = 0;
  view.folder = [this](TInsDir& w) {
    w.EdName = "Сметы";
    return view.Accept(w);
  };
  view.settings = [](store::TNstr& w) { w.RILang = true; };
  EXPECT_EQ(Run(), EWizardEnd::ewe_Done);
  const std::string dir = drive.Path("tlx5_320");
  EXPECT_EQ(view.steps, (Steps{"hide start", "variant", "folder", "clear " + dir, "install 0", "hide progress",
                               "settings", "shortcut " + dir + " Сметы", "register", "finish", "close"}));
  EXPECT_FALSE(package::HoldsInstallMarker(dir));  // removed last
  EXPECT_EQ(main.Record.install_dir, dir);
  EXPECT_EQ(view.required, 0x1000u);
  EXPECT_EQ(view.required_label, "Размер требуемого пространства на диске 4 Кб");
  EXPECT_EQ(main.InstallDir, dir);
  EXPECT_EQ(main.ShortcutName, "Сметы");
  const std::string cfg = test::ReadNativeFile(drive.NativePath("tlx5_320/Cfg/Cfg.tlx"));
  ASSERT_EQ(cfg.size(), config::kSettingsFileSize);
  EXPECT_EQ(cfg[config::cfg::kInstallKind], 0);
  EXPECT_EQ(cfg[config::cfg::kInterfaceLanguage], 1);
  EXPECT_EQ(platform::CurrentFolder(), drive.Path("dist"));
  // Not measuring: the setup configuration file keeps its requirement.
  EXPECT_EQ(test::ReadNativeFile(drive.NativePath("dist/TlxSetup_5_320.cfg")), std::string("\x00\x10\x00\x00", 4));
  EXPECT_TRUE(scope.sink.requests.empty());
}

// Switches of a run with windows preset the folder step and the settings window; /NOSHORTCUT asks
// for no name and places no shortcut.
TEST_F(WizardTest, PresetsOpenTheWindows) {
  store::TNstr answers(1024, 768);
  answers.RILang = true;
  answers.CbAuto = false;
  answers.Scale = 4;
  main.Presets.dir = drive.Path("Программы\\tlx");
  main.Presets.shortcut = "a/b";  // no name is asked for, so none is refused
  main.Presets.no_shortcut = true;
  main.Presets.settings = answers;
  std::string folder_shown, name_shown;
  bool name_asked = true;
  view.folder = [&](TInsDir& w) {
    folder_shown = w.EdFile;
    name_shown = w.EdName;
    name_asked = !w.NoShortcut;
    return w.KNextClick() == EInsDirClick::eidc_CloseOk;
  };
  store::TNstr shown(1, 1);
  view.settings = [&](store::TNstr& w) { shown = w; };
  EXPECT_EQ(Run(), EWizardEnd::ewe_Done);
  EXPECT_EQ(folder_shown, drive.Path("Программы\\tlx"));
  EXPECT_EQ(name_shown, "a/b");
  EXPECT_FALSE(name_asked);
  EXPECT_TRUE(shown.RILang);
  EXPECT_FALSE(shown.CbAuto);
  EXPECT_FALSE(shown.AutoVisible());  // the time picker follows the preset
  EXPECT_EQ(shown.Scale, 4);
  EXPECT_TRUE(shown.ZGSVisible());    // the screen's, not the answers'
  const std::string dir = drive.Path("Программы\\tlx");
  EXPECT_EQ(view.steps, (Steps{"hide start", "variant", "folder", "clear " + dir, "install 1", "hide progress",
                               "settings", "register", "finish", "close"}));
  EXPECT_TRUE(main.Record.shortcut.empty());
  EXPECT_TRUE(scope.sink.requests.empty());
}

TEST_F(WizardTest, MeasuringRunAsksFor668MbAndWritesThePeakBack) {
  test::WriteNativeFile(drive.NativePath("dist/I.cfg"), "");
  EXPECT_EQ(Run(), EWizardEnd::ewe_Done);
  EXPECT_EQ(view.required, kMeasuringRequirement);
  EXPECT_EQ(view.required_label, "Размер требуемого пространства на диске 668 Мб");
  EXPECT_EQ(test::ReadNativeFile(drive.NativePath("dist/TlxSetup_5_320.cfg")),
            std::string("\x08\x07\x06\x05\x04\x03\x02\x01", 8));
}

TEST_F(WizardTest, EveryWayOutClosesTheMainWindow) {
  struct Case {
    const char* name;
    std::function<void()> arrange;
    EWizardEnd end;
    Steps steps;
    bool folder_made;
  };
  const std::string dir = drive.Path("tlx5_320");
  const Case cases[] = {
      {"variant refused", [this] { view.variant.reset(); }, EWizardEnd::ewe_VariantCancelled,
       {"hide start", "variant", "close"}, false},
      {"folder refused", [this] { view.folder = [](TInsDir&) { return false; }; },
       EWizardEnd::ewe_FolderCancelled, {"hide start", "variant", "folder", "close"}, false},
      {"bad volumes", [this] { actions.result = false; }, EWizardEnd::ewe_PackageFailed,
       {"hide start", "variant", "folder", "clear " + dir, "install 1", "rolled back", "close"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view.steps.clear();
    view.variant = 1;
    view.folder = [this](TInsDir& w) { return view.Accept(w); };
    actions.result = true;
    actions.install = {};
    std::filesystem::remove_all(drive.NativePath("tlx5_320"));
    c.arrange();
    EXPECT_EQ(Run(), c.end);
    EXPECT_EQ(view.steps, c.steps);
    EXPECT_EQ(InstalledFolderExists(), c.folder_made);
    EXPECT_FALSE(test::NativeExists(drive.NativePath("tlx5_320/Cfg/Cfg.tlx")));
  }
  EXPECT_TRUE(scope.sink.requests.empty());
}

TEST_F(WizardTest, AnErrorIsShownAndThenEverythingTheRunMadeIsRemoved) {
  // The folder has parents of its own that the run creates; a folder beside them is the user's.
  view.folder_text = drive.Path("Программы\\ТЛК\\tlx5_320");
  test::WriteNativeFile(drive.NativePath("mine/keep.txt"), "mine");
  bool marked = false;
  actions.install = [&](TInsMain& m) {
    marked = package::HoldsInstallMarker(m.InstallDir);  // written before anything else
    WriteInstalledFiles(m.InstallDir);
    messages::RaiseMsg("c:\\tlx5_320\\InsBf", 1);
  };
  EXPECT_EQ(Run(), EWizardEnd::ewe_InstallFailed);
  EXPECT_TRUE(marked);
  EXPECT_EQ(view.steps, (Steps{"hide start", "variant", "folder", "clear " + view.folder_text, "install 1",
                               "rolled back", "close"}));
  ASSERT_EQ(scope.sink.requests.size(), 1u);
  EXPECT_EQ(scope.sink.requests[0].style, messages::EMsgStyle::ems_Standard);
  EXPECT_NE(scope.sink.requests[0].text.find("InsBf"), std::string::npos);
  EXPECT_FALSE(test::NativeExists(drive.NativePath("Программы")));
  EXPECT_EQ(test::ReadNativeFile(drive.NativePath("mine/keep.txt")), "mine");
  EXPECT_TRUE(actions.rollback.left.empty());

  // A failure in the settings step, and one in registering the uninstaller, are undone the same way.
  for (int failing = 0; failing < 2; ++failing) {
    SCOPED_TRACE(failing);
    view.steps.clear();
    scope.sink.requests.clear();
    actions.install = failing == 0 ? std::function<void(TInsMain&)>{} : [](TInsMain& m) { WriteInstalledFiles(m.InstallDir); };
    actions.register_uninstaller = [](TInsMain&) { messages::RaiseMsg("no registry", messages::kMsgFinalText); };
    EXPECT_EQ(Run(), EWizardEnd::ewe_InstallFailed);
    EXPECT_EQ(view.steps[view.steps.size() - 2], "rolled back");
    EXPECT_EQ(scope.sink.requests.size(), 1u);
    EXPECT_FALSE(test::NativeExists(drive.NativePath("Программы")));
  }
}

TEST_F(WizardTest, WhatCannotBeRemovedIsNamed) {
  platform::File held;
  actions.install = [&](TInsMain& m) {
    WriteInstalledFiles(m.InstallDir);
    platform::OpenOptions options;
    options.share = platform::kShareRead;  // held, as a running program holds its file
    held = platform::File::Open(m.InstallDir + "\\Cfg\\Cfg.tlx", options);
    messages::RaiseMsg("failed", messages::kMsgFinalText);
  };
  EXPECT_EQ(Run(), EWizardEnd::ewe_InstallFailed);
  ASSERT_EQ(scope.sink.requests.size(), 2u);
  const std::string& left = scope.sink.requests[1].text;
  EXPECT_EQ(left.rfind("Установка не завершена. Всё записанное ею удалено, кроме:#" + drive.Path("tlx5_320\\Cfg\\Cfg.tlx - "), 0), 0u) << left;
  EXPECT_TRUE(test::NativeExists(drive.NativePath("tlx5_320/Cfg/Cfg.tlx")));
  EXPECT_FALSE(test::NativeExists(drive.NativePath("tlx5_320/Rus")));
  held.Close();
}

TEST_F(WizardTest, NoFixedDiskEndsAtTheFolderStep) {
  test::DriveMap map;
  if (!map.Set('c', platform::DriveType::Removable, std::nullopt)) GTEST_SKIP() << "real drives";
  map.KeepOnly([](const platform::DriveConfig& d) { return d.type != platform::DriveType::Fixed; });
  EXPECT_EQ(Run(), EWizardEnd::ewe_FolderCancelled);
  EXPECT_EQ(view.steps, (Steps{"hide start", "variant", "folder", "close"}));
  ASSERT_EQ(scope.sink.requests.size(), 1u);
  EXPECT_NE(scope.sink.requests[0].text.find("нет ни одного жесткого диска"), std::string::npos);
  EXPECT_FALSE(InstalledFolderExists());
}

}  // namespace
}  // namespace tlx::app
