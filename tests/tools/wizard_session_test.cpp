// setup.exe's run with windows on the sample distribution, natively: which command lines keep the
// windows, the switches and the answer file presetting them, /LOG and /SAVEINF of a run with windows,
// and the distribution found in the program's folder whatever folder is current (the wizard,
// the unattended installer and /VERIFY alike).
#include <gtest/gtest.h>

#include <filesystem>

#include "app/unattended.h"
#include "app/wizard_session.h"
#include "messages/recording_sink.h"
#include "messages/zerror.h"
#include "platform/config.h"
#include "platform/fs.h"
#include "support/files.h"
#include "support/temp_drive.h"
#include "tools/install_expectation.h"
#include "tools/install_scope.h"
#include "tools/mksample/sample_payload.h"
#include "tools/tlxpack/build.h"

namespace tlx::app {
namespace {

namespace fs = std::filesystem;
using test::ReadNativeFile;
using test::WriteNativeFile;

SetupSwitches Parse(const std::vector<std::string>& args) {
  std::string error;
  std::optional<SetupSwitches> switches = ParseSwitches(args, false, &error);
  EXPECT_TRUE(switches) << error;
  return switches.value_or(SetupSwitches{});
}

TEST(WizardSessionSwitches, OnlySilentRunsAndTheOtherToolsLeaveTheWindowsOut) {
  const std::pair<std::vector<std::string>, bool> cases[] = {
      {{}, true},
      {{"/DIR=c:\\x", "/LOG=c:\\s.log"}, true},
      {{"/variant=0", "/SHORTCUT=x", "/NOSHORTCUT", "/LOADINF=a.ini", "/SAVEINF=b.ini"}, true},
      {{"/SUPPRESSMSGBOXES"}, true},  // answers messages only in a run without windows
      {{"/SILENT"}, false},
      {{"/verysilent", "/DIR=c:\\x"}, false},
      {{"/VERIFY"}, false},
      {{"/UNINSTALL"}, false},
      {{"/HELP"}, false},
  };
  for (const auto& [args, windows] : cases) {
    EXPECT_EQ(RunsTheWizard(Parse(args)), windows) << ::testing::PrintToString(args);
  }
}

// Shows the windows as a user would click through them.
class ClickingView : public WizardView {
 public:
  explicit ClickingView(const TInsMain& main) : main_(main) {}
  void HideStartPanel() override {}
  void HideProgressPanel() override {}
  std::optional<int32_t> ShowVariant() override { return main_.Presets.variant; }  // as checked
  bool ShowInsDir(TInsDir& window) override {
    window.FormShow();
    folder_shown = window.EdFile;
    name_shown = window.EdName;
    const std::string preset = window.EdFile;
    window.SetFolderText("c:");  // refused with a message, which the log keeps
    EXPECT_EQ(window.KNextClick(), EInsDirClick::eidc_FocusFolder);
    window.SetFolderText(preset);
    return window.KNextClick() == EInsDirClick::eidc_CloseOk;
  }
  void ShowSettings(store::TNstr& window) override {
    auto_shown = window.CbAuto;
    window.RILang = true;
  }
  void ShowFinish() override {}
  platform::Size Screen() const override { return {1024, 768}; }
  void CloseMain() override {}

  std::string folder_shown, name_shown;
  bool auto_shown = true;

 private:
  const TInsMain& main_;
};

struct QuietInstallView : package::InstallView {
  void ResetVolumeBars(int) override {}
  void ShowVolumeBars(const std::string&, int, int) override {}
  void ShowProgressPanel() override {}
  void ShowFileBar(int, int) override {}
  void ShowErrorList(const std::vector<std::string>&) override {}
};

class WizardSessionTest : public ::testing::Test {
 public:
  WizardSessionTest() {
    test::BuildSampleDistribution(dist_drive_);
    fs::create_directories(target_.NativePath("Desktop"));
    fs::create_directories(dist_drive_.NativePath("elsewhere"));
    // Started from a folder that holds no distribution.
    platform::SetCurrentFolder(dist_drive_.Path("elsewhere"));
  }

  std::string Dist() const { return dist_drive_.Path("dist"); }
  std::map<std::string, std::string> Installed(const std::string& folder) const {
    return test::TreeFiles(target_.NativePath(folder));
  }
  std::map<std::string, std::string> Expected(int variant) const {
    std::map<std::string, std::string> expected =
        test::ExpectedInstall(dist_drive_.NativePath("payload"), variant, test::SampleRules());
    return expected;
  }

  test::TempDrive target_{'c'};
  test::TempDrive dist_drive_{'d'};
  test::InstallSettingsScope settings_{"c:\\Desktop", target_.NativePath("registry.ini")};
  test::SinkScope scope;
};

// Compares an installed tree with the payload's, leaving out what the settings step and the
// uninstaller add (checked by the unattended tests).
void ExpectPayloadInstalled(const std::map<std::string, std::string>& installed,
                            const std::map<std::string, std::string>& expected) {
  for (const auto& [path, bytes] : expected) {
    if (path == "CFG/CFG.TLX") continue;
    const auto found = installed.find(path);
    ASSERT_NE(found, installed.end()) << path;
    EXPECT_TRUE(found->second == bytes) << path;
  }
}

TEST_F(WizardSessionTest, SwitchesPresetTheWindowsAndTheRunIsLoggedAndSaved) {
  WriteNativeFile(target_.NativePath("answers.ini"), "[Setup]\r\nVariant=0\r\n[Settings]\r\nCbAuto=0\r\n");
  const SetupSwitches switches = Parse({"/DIR=c:\\Сметы\\tlx", "/LOG=c:\\wizard.log", "/LOADINF=c:\\answers.ini",
                                        "/SAVEINF=c:\\saved.ini", "/SHORTCUT=Сметы"});
  std::optional<EWizardEnd> end;
  {
    WizardSession session(switches, Dist());
    session.Line("step", "licence agreement accepted");
    TInsMain main;
    ASSERT_TRUE(main.FormShow({1024, 768}, session.Distribution()));  // no 605 from another folder
    EXPECT_EQ(main.StartDir, Dist());
    ClickingView view(main);
    QuietInstallView install_view;
    end = session.Button1Click(main, view, install_view);
    EXPECT_EQ(view.folder_shown, "c:\\Сметы\\tlx");
    EXPECT_EQ(view.name_shown, "Сметы");
    EXPECT_FALSE(view.auto_shown);
    EXPECT_EQ(main.InstallVariant, 0);
  }
  ASSERT_EQ(end, EWizardEnd::ewe_Done);
  ExpectPayloadInstalled(Installed("Сметы/tlx"), Expected(0));
  EXPECT_TRUE(test::NativeExists(target_.NativePath("Desktop/Сметы.LNK")));
  EXPECT_TRUE(fs::is_empty(dist_drive_.NativePath("elsewhere")));

  // The message went to the windows' sink after the log.
  ASSERT_EQ(scope.sink.requests.size(), 1u);
  EXPECT_EQ(scope.sink.requests[0].text, "Неверно задана основная директория программного комплекса");
  const std::string log = ReadNativeFile(target_.NativePath("wizard.log"));
  for (const std::string& line :
       {"step: installation with windows from " + Dist(), std::string("step: licence agreement accepted"),
        std::string("step: variant 0"), std::string("message: Неверно задана основная директория программного комплекса"),
        std::string("step: folder c:\\Сметы\\tlx; Размер свободного пространства на диске "),
        std::string("step: shortcut name Сметы"), "step: installing variant 0 into c:\\Сметы\\tlx from " + Dist(),
        std::string("volume: TlxStp5_320.001"), std::string("file: c:\\Сметы\\tlx\\"), std::string("step: settings"),
        std::string("step: desktop shortcut c:\\Desktop\\Сметы.LNK"), std::string("step: finished"),
        std::string("step: installed into c:\\Сметы\\tlx"), std::string("step: answers saved in c:\\saved.ini"),
        std::string("step: setup ends")}) {
    EXPECT_NE(log.find(" " + line), std::string::npos) << line << "\n" << log;
  }
  // The answers the user gave, for replaying the run unattended.
  const std::string saved = ReadNativeFile(target_.NativePath("saved.ini"));
  for (const char* line : {"Variant=0\r\n", "Dir=c:\\Сметы\\tlx\r\n", "Shortcut=Сметы\r\n", "NoShortcut=0\r\n",
                           "RILang=1\r\n", "CbAuto=0\r\n"}) {
    EXPECT_NE(saved.find(line), std::string::npos) << line << "\n" << saved;
  }
}

TEST_F(WizardSessionTest, ALogOrAnswerFileThatCannotBeOpenedStopsTheStart) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"/LOADINF=c:\\missing.ini"}, std::vector<std::string>{"/LOG=c:\\no\\such\\x.log"}}) {
    SCOPED_TRACE(args[0]);
    EXPECT_THROW(WizardSession(Parse(args), Dist()), messages::ZError);
  }
}

// The unattended installer and /VERIFY of setup.exe take the program's folder too; tlxsetup, which is
// no part of a distribution, takes the current one.
TEST_F(WizardSessionTest, UnattendedAndVerifyFindTheProgramsDistributionFromAnotherFolder) {
  std::string out, err;
  const auto run = [&](const std::vector<std::string>& args, const std::string& distribution) {
    out.clear();
    err.clear();
    platform::SetCurrentFolder(dist_drive_.Path("elsewhere"));  // an installation leaves another one current
    return RunCommandLine(args, false, nullptr, [&](const std::string& t) { out += t; },
                          [&](const std::string& t) { err += t; }, {}, distribution);
  };
  EXPECT_EQ(run({"/VERIFY", "/VERYSILENT"}, Dist()), 0) << err;
  EXPECT_EQ(run({"/VERYSILENT", "/DIR=c:\\u"}, Dist()), 0) << err;
  ExpectPayloadInstalled(Installed("u"), Expected(1));
  EXPECT_EQ(run({"/VERYSILENT", "/DIR=c:\\v"}, ""), 1);
  EXPECT_NE(err.find("Отсутствует файл TlxSetup_5_320.Cfg"), std::string::npos) << err;
  EXPECT_EQ(run({"/VERIFY", "/VERYSILENT"}, ""), 3) << err;
  EXPECT_NE(err.find("Отсутствует директория Setup"), std::string::npos) << err;
  EXPECT_FALSE(test::NativeExists(target_.NativePath("v")));
  EXPECT_TRUE(fs::is_empty(dist_drive_.NativePath("elsewhere")));
}

}  // namespace
}  // namespace tlx::app
