// The unattended installer: switches, the answer file, and the exit code of each way a run ends.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/answer_file.h"
#include "app/setup_switches.h"
#include "app/unattended.h"
#include "messages/recording_sink.h"
#include "messages/zerror.h"
#include "platform/config.h"
#include "platform/fs.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::app {
namespace {

TEST(SetupSwitches, ParsesEverySwitchInAnyCase) {
  std::string error;
  const std::optional<SetupSwitches> s = ParseSwitches(
      {"/silent", "/Dir=\"d:\\My Programs\\tlx\"", "/VARIANT=0", "/shortcut=Сметы", "/NoShortcut",
       "/LOADINF=a.ini", "/saveinf=\"b c.ini\"", "/log=x.log", "/SuppressMsgBoxes", "/help"},
      false, &error);
  ASSERT_TRUE(s) << error;
  EXPECT_EQ(s->ui, EUiLevel::eui_Silent);
  EXPECT_EQ(s->dir, "d:\\My Programs\\tlx");
  EXPECT_EQ(s->variant, 0);
  EXPECT_EQ(s->shortcut, "Сметы");
  EXPECT_TRUE(s->no_shortcut);
  EXPECT_EQ(s->load_inf, "a.ini");
  EXPECT_EQ(s->save_inf, "b c.ini");
  EXPECT_EQ(s->log, "x.log");
  EXPECT_TRUE(s->suppress_msgboxes);
  EXPECT_TRUE(s->help);

  EXPECT_EQ(ParseSwitches({"/VERYSILENT", "/SILENT"}, false, &error)->ui, EUiLevel::eui_VerySilent);
  EXPECT_EQ(ParseSwitches({}, false, &error)->ui, EUiLevel::eui_Windows);
  const std::optional<SetupSwitches> drives =
      ParseSwitches({"--drive", "c=/tmp/c", "--drive=d=:cdrom-no-medium"}, true, &error);
  ASSERT_TRUE(drives) << error;
  ASSERT_EQ(drives->drives.size(), 2u);
  EXPECT_EQ(drives->drives[1].type, platform::DriveType::CdRom);
  EXPECT_FALSE(drives->drives[1].has_medium);
}

TEST(SetupSwitches, RefusesBadSwitches) {
  const std::vector<std::vector<std::string>> bad = {
      {"/VARIANT=2"}, {"/VARIANT"},     {"/DIR"},         {"/DIR="},     {"/SILENT=1"}, {"/UNKNOWN"},
      {"SILENT"},     {"/"},            {"--drive=c=/x"}, {"/LOG="},
  };
  for (const auto& args : bad) {
    std::string error;
    EXPECT_FALSE(ParseSwitches(args, false, &error)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
  std::string error;
  EXPECT_FALSE(ParseSwitches({"--drive"}, true, &error));
  EXPECT_FALSE(ParseSwitches({"--drive", "c=/x:floppy"}, true, &error));
  EXPECT_NE(error.find("c=/x:floppy"), std::string::npos);
}

TEST(AnswerFile, RoundTripAndDefaults) {
  SetupAnswers answers;
  std::string error;
  ASSERT_TRUE(ParseAnswers("", answers, &error));
  EXPECT_EQ(FormatAnswers(answers), FormatAnswers(SetupAnswers{}));
  EXPECT_NE(FormatAnswers(answers).find("Dir=c:\\tlx5_320\r\n"), std::string::npos);
  EXPECT_NE(FormatAnswers(answers).find("Shortcut=ТЛК5_320\r\n"), std::string::npos);
  EXPECT_NE(FormatAnswers(answers).find("AutoTime=00:10\r\nScale=2\r\n"), std::string::npos);

  answers.variant = 0;
  answers.dir = "d:\\Сметы\\tlx";
  answers.shortcut = "";
  answers.no_shortcut = true;
  answers.settings.RILang = true;
  answers.settings.CbAuto = false;
  answers.settings.CbHintForPos = true;
  answers.settings.AutoDtTm = (23 * 60 + 59) / 1440.0;
  answers.settings.Scale = 4;
  SetupAnswers back;
  ASSERT_TRUE(ParseAnswers(FormatAnswers(answers), back, &error)) << error;
  EXPECT_EQ(FormatAnswers(back), FormatAnswers(answers));
  EXPECT_FALSE(back.settings.AutoVisible());

  SetupAnswers partial;
  ASSERT_TRUE(ParseAnswers("\xEF\xBB\xBF; comment\n[setup]\nVARIANT = 0\n[Settings]\nscale=0\n", partial, &error));
  EXPECT_EQ(partial.variant, 0);
  EXPECT_EQ(partial.settings.Scale, 0);
  EXPECT_EQ(partial.dir, "c:\\tlx5_320");

  const char* bad[] = {"[Setup]\nVariant=3", "[Setup]\nColour=red", "Variant=1", "[Other]",
                       "[Settings]\nScale=5",  "[Settings]\nCbAuto=yes", "[Settings]\nAutoTime=24:00",
                       "[Setup]\njust text",  "[Setup"};
  for (const char* text : bad) {
    SetupAnswers ignored;
    EXPECT_FALSE(ParseAnswers(text, ignored, &error)) << text;
    EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
  }
}

// A start folder c:\dist with a setup configuration file, the current folder during each test.
class UnattendedTest : public ::testing::Test {
 protected:
  UnattendedTest() : saved_cwd_(std::filesystem::current_path()) {
    std::filesystem::create_directories(drive.NativePath("dist"));
    test::WriteNativeFile(drive.NativePath("dist/TlxSetup_5_320.cfg"), std::string("\x00\x10\x00\x00", 4));
    platform::SetCurrentFolder(drive.Path("dist"));
    platform::PlatformConfig config = platform::CurrentConfig();
    config.os_version = platform::DefaultOSVersion();
    platform::Configure(config);
  }
  ~UnattendedTest() override { std::filesystem::current_path(saved_cwd_); }

  int Run(std::vector<std::string> args) {
    out.clear();
    err.clear();
    return RunCommandLine(args, false, nullptr, [this](const std::string& t) { out += t; },
                          [this](const std::string& t) { err += t; });
  }

  test::TempDrive drive;
  test::SinkScope scope;
  std::string out, err;

 private:
  std::filesystem::path saved_cwd_;
};

TEST_F(UnattendedTest, ExitCodesOfRunsThatStopBeforeInstalling) {
  // A bad switch: could not start.
  EXPECT_EQ(Run({"/SILENT", "/VARIANT=7"}), 1);
  EXPECT_NE(err.find("/VARIANT"), std::string::npos);
  EXPECT_EQ(Run({"/HELP"}), 0);
  EXPECT_NE(out.find("/SUPPRESSMSGBOXES"), std::string::npos);

  // The folder exists: refused before anything was written, with the message's text.
  std::filesystem::create_directories(drive.NativePath("tlx5_320"));
  test::WriteNativeFile(drive.NativePath("tlx5_320/keep.txt"), "mine");
  const std::string log = drive.Path("setup.log");
  EXPECT_EQ(Run({"/VERYSILENT", "/DIR=" + drive.Path("tlx5_320"), "/LOG=" + log}), 2);
  EXPECT_EQ(err, "Папка " + drive.Path("tlx5_320") + " уже существует. Необходимо выбрать другое имя для папки.\n");
  EXPECT_EQ(test::ReadNativeFile(drive.NativePath("tlx5_320/keep.txt")), "mine");
  const std::string logged = test::ReadNativeFile(drive.NativePath("setup.log"));
  EXPECT_NE(logged.find("message: Папка"), std::string::npos) << logged;
  EXPECT_NE(logged.find("error: exit code 2"), std::string::npos) << logged;

  // Too short a folder text and too little room are refusals too.
  EXPECT_EQ(Run({"/VERYSILENT", "/DIR=c:"}), 2);
  EXPECT_EQ(err, "Неверно задана основная директория программного комплекса\n");

  // No setup configuration file: could not start.
  std::filesystem::remove(drive.NativePath("dist/TlxSetup_5_320.cfg"));
  EXPECT_EQ(Run({"/SILENT", "/DIR=" + drive.Path("new")}), 1);
  EXPECT_EQ(err, "Отсутствует файл TlxSetup_5_320.Cfg\n");
  EXPECT_FALSE(test::NativeExists(drive.NativePath("new")));
}

TEST_F(UnattendedTest, UnsupportedSystemAndBadAnswerFile) {
  platform::PlatformConfig config = platform::CurrentConfig();
  config.os_version = platform::DefaultOSVersion();
  config.os_version->major = 6;
  config.os_version->minor = 4;
  if (!platform::Configure(config)) GTEST_SKIP() << "the system answers the version query";
  EXPECT_EQ(Run({"/VERYSILENT", "/DIR=" + drive.Path("tlx")}), 1);
  EXPECT_EQ(err, "Операционная система Вашего компьютера не подходит для установки программного комплекса ТЛК5\n");

  config.os_version = platform::DefaultOSVersion();
  platform::Configure(config);
  test::WriteNativeFile(drive.NativePath("a.ini"), "[Setup]\nVariant=9\n");
  EXPECT_EQ(Run({"/VERYSILENT", "/DIR=" + drive.Path("tlx"), "/LOADINF=" + drive.Path("a.ini")}), 1);
  EXPECT_NE(err.find("line 2"), std::string::npos) << err;
  EXPECT_EQ(Run({"/VERYSILENT", "/DIR=" + drive.Path("tlx"), "/LOADINF=" + drive.Path("missing.ini")}), 1);
  EXPECT_FALSE(test::NativeExists(drive.NativePath("tlx")));
}

TEST_F(UnattendedTest, SaveInfWritesTheAnswersUsed) {
  test::WriteNativeFile(drive.NativePath("a.ini"), "[Setup]\nShortcut=Из файла\nDir=c:\\from_file\n");
  std::filesystem::create_directories(drive.NativePath("from_cmd"));  // refused: nothing installs
  EXPECT_EQ(Run({"/VERYSILENT", "/LOADINF=" + drive.Path("a.ini"), "/DIR=" + drive.Path("from_cmd"),
                 "/SAVEINF=" + drive.Path("b.ini")}),
            2);
  SetupAnswers saved;
  std::string error;
  ASSERT_TRUE(ParseAnswers(test::ReadNativeFile(drive.NativePath("b.ini")), saved, &error)) << error;
  EXPECT_EQ(saved.dir, drive.Path("from_cmd"));
  EXPECT_EQ(saved.shortcut, "Из файла");
}

}  // namespace
}  // namespace tlx::app
