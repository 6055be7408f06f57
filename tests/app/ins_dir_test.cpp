// The install-directory step and its picker: which folder texts pass, the space check, the messages
// and what "Обзор" makes of a picked folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/drive_space.h"
#include "app/ins_dir.h"
#include "app/sel_dir.h"
#include "drive_map.h"
#include "messages/recording_sink.h"
#include "package/install_marker.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::app {
namespace {

using platform::DriveType;

constexpr uint64_t kGiB = uint64_t{1} << 30;
const std::string kBadFolder = "Неверно задана основная директория программного комплекса";
const std::string kNoSpace = "Не хватает дискового пространства для инсталляции";

class InsDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!map.Set('c', DriveType::Fixed, 3 * kGiB) || !map.Set('d', DriveType::Fixed, 10 * kGiB) ||
        !map.Set('e', DriveType::CdRom, 100 * kGiB, true, c.native()) ||
        !map.Set('f', DriveType::Remote, 100 * kGiB, true, c.native()) ||
        !map.Set('g', DriveType::Removable, std::nullopt, false))
      GTEST_SKIP() << "the system's own drives answer here";
  }
  // Messages shown so far: "number-less" texts in order.
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& r : scope.sink.requests) texts.push_back(r.text);
    return texts;
  }

  test::TempDrive c{'c'};
  test::TempDrive d{'d'};
  test::DriveMap map;
  test::SinkScope scope{config::kLangUkrainian};
};

TEST_F(InsDirTest, NextChecksTheFolderTextTheDriveAndTheSpace) {
  std::filesystem::create_directories(c.NativePath("exists"));
  struct Case {
    std::string text;
    uint64_t required;
    EInsDirClick click;
    std::vector<std::string> messages;
  };
  const std::string kExists = "Папка c:\\exists уже существует. Необходимо выбрать другое имя для папки.";
  const Case cases[] = {
      {"c:", 1, EInsDirClick::eidc_FocusFolder, {kBadFolder}},
      {"c:\\", 1, EInsDirClick::eidc_FocusFolder, {kBadFolder}},
      {"c:/tlx", 1, EInsDirClick::eidc_FocusFolder, {kBadFolder}},
      {"cx\\tlx", 1, EInsDirClick::eidc_FocusFolder, {kBadFolder}},
      {"c:tlx", 1, EInsDirClick::eidc_FocusFolder, {kBadFolder}},
      {"e:\\tlx", 1, EInsDirClick::eidc_FocusFolder, {kBadFolder}},  // CD drive
      {"f:\\tlx", 1, EInsDirClick::eidc_FocusFolder, {kBadFolder}},  // network drive
      {"q:\\tlx", 1, EInsDirClick::eidc_FocusFolder, {kBadFolder}},  // no such drive
      {"c:\\exists", 1, EInsDirClick::eidc_Stay, {kExists}},
      {"c:\\big", 3 * kGiB + 1, EInsDirClick::eidc_Stay, {kNoSpace}},
      {"c:\\x", 3 * kGiB, EInsDirClick::eidc_CloseOk, {}},
      {"d:\\a\\b\\tlx", 1000 * kGiB, EInsDirClick::eidc_CloseOk, {}},   // 4 GiB and more: any need
      {"d:\\huge", ~uint64_t{0}, EInsDirClick::eidc_CloseOk, {}},      // no wrap-round
      {"g:\\tlx", 1000 * kGiB, EInsDirClick::eidc_CloseOk, {}},        // no medium: space unknown
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text);
    scope.sink.requests.clear();
    TInsDir window;
    window.Required = k.required;
    window.SetFolderText(k.text);
    window.FormShow();
    EXPECT_EQ(window.KNextClick(), k.click);
    EXPECT_EQ(Texts(), k.messages);
    for (const auto& r : scope.sink.requests) EXPECT_EQ(r.kind, k.messages[0] == kExists
                                                                    ? messages::EMsgKind::emk_Warning
                                                                    : messages::EMsgKind::emk_Error);
    if (k.click == EInsDirClick::eidc_CloseOk || k.messages == std::vector<std::string>{kExists}) {
      EXPECT_EQ(window.LastFolder, k.text);
    }
    // Messages are always Russian.
    EXPECT_EQ(config::Config().InterfaceLanguage(),
              k.messages.empty() ? config::kLangUkrainian : config::kLangRussian);
    config::Config().SetInterfaceLanguage(config::kLangUkrainian);
  }
  EXPECT_TRUE(test::NativeExists(c.NativePath("x")));
  EXPECT_TRUE(test::NativeExists(d.NativePath("a/b/tlx")));
  EXPECT_FALSE(test::NativeExists(c.NativePath("big")));
}

// Folder texts Windows cannot hold or would silently change, and shortcut names that are no file
// name: "Дальше" refuses them (602 with the focus on the folder, 607 naming the reason with the focus
// on the shortcut name) before any folder is made.
TEST_F(InsDirTest, NextRefusesHostileFoldersAndShortcutNames) {
  test::WriteNativeFile(c.NativePath("file"), "a file, not a folder");
  const std::string kBadName = "Неверно задано наименование ярлыка на рабочем столе: ";
  struct Case {
    std::string folder;
    std::string name;
    EInsDirClick click;
    std::string message;  // the start of the text shown
  };
  const std::string long_part(256, 'x');
  const Case cases[] = {
      {"c:\\tlx   ", "ok", EInsDirClick::eidc_FocusFolder, kBadFolder},
      {"c:\\tlx.", "ok", EInsDirClick::eidc_FocusFolder, kBadFolder},
      {"c:\\tlx\\", "ok", EInsDirClick::eidc_FocusFolder, kBadFolder},
      {"c:\\a\\\\b", "ok", EInsDirClick::eidc_FocusFolder, kBadFolder},
      {"c:\\a:b", "ok", EInsDirClick::eidc_FocusFolder, kBadFolder},
      {"c:\\a*", "ok", EInsDirClick::eidc_FocusFolder, kBadFolder},
      {"c:\\a?b", "ok", EInsDirClick::eidc_FocusFolder, kBadFolder},
      {"c:\\a/b", "ok", EInsDirClick::eidc_FocusFolder, kBadFolder},
      {"c:\\CON", "ok", EInsDirClick::eidc_FocusFolder, kBadFolder},
      {"c:\\x\\nul.txt", "ok", EInsDirClick::eidc_FocusFolder, kBadFolder},
      {"c:\\x\\..\\y", "ok", EInsDirClick::eidc_FocusFolder, kBadFolder},
      {"c:\\a\x01" "b", "ok", EInsDirClick::eidc_FocusFolder, kBadFolder},
      {"c:\\a\xFF", "ok", EInsDirClick::eidc_FocusFolder, kBadFolder},
      {"c:\\" + long_part, "ok", EInsDirClick::eidc_FocusFolder, kBadFolder},
      {"c:\\file", "ok", EInsDirClick::eidc_FocusFolder, kBadFolder},
      {"c:\\file\\sub", "ok", EInsDirClick::eidc_FocusFolder, kBadFolder},
      {"c:\\tlx", "..\\..\\evil", EInsDirClick::eidc_FocusName, kBadName},
      {"c:\\tlx", "sub\\x", EInsDirClick::eidc_FocusName, kBadName},
      {"c:\\tlx", "a/b", EInsDirClick::eidc_FocusName, kBadName},
      {"c:\\tlx", "c:evil", EInsDirClick::eidc_FocusName, kBadName},
      {"c:\\tlx", "a<b>", EInsDirClick::eidc_FocusName, kBadName},
      {"c:\\tlx", "a\"b", EInsDirClick::eidc_FocusName, kBadName},
      {"c:\\tlx", "a|b", EInsDirClick::eidc_FocusName, kBadName},
      {"c:\\tlx", "a?", EInsDirClick::eidc_FocusName, kBadName},
      {"c:\\tlx", "a*", EInsDirClick::eidc_FocusName, kBadName},
      {"c:\\tlx", "CON", EInsDirClick::eidc_FocusName, kBadName},
      {"c:\\tlx", "lpt1", EInsDirClick::eidc_FocusName, kBadName},
      {"c:\\tlx", "tab\there", EInsDirClick::eidc_FocusName, kBadName},
      {"c:\\tlx", "\xC0\xAF", EInsDirClick::eidc_FocusName, kBadName},
      {"c:\\tlx", std::string(252, 'n'), EInsDirClick::eidc_FocusName, kBadName},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.folder + " / " + k.name);
    scope.sink.requests.clear();
    TInsDir window;
    window.Required = 1;
    window.SetFolderText(k.folder);
    window.EdName = k.name;
    window.FormShow();
    EXPECT_EQ(window.KNextClick(), k.click);
    ASSERT_EQ(scope.sink.requests.size(), 1u);
    EXPECT_EQ(scope.sink.requests[0].text.substr(0, k.message.size()), k.message);
    EXPECT_EQ(scope.sink.requests[0].kind, messages::EMsgKind::emk_Error);
  }
  // Nothing was made: drive c: holds the file alone.
  std::vector<std::string> made;
  for (const auto& entry : std::filesystem::directory_iterator(c.native())) {
    made.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(made, std::vector<std::string>{"file"});

  // Names that are fine: the link file takes ".LNK" after them.
  for (const std::string& name : {std::string(), std::string("ТЛК5_320"), std::string("name."), std::string("name "),
                                 std::string(251, 'n')}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ShortcutNameProblem(name), std::nullopt);
  }
}

TEST_F(InsDirTest, NextNotesWhatItCreatedAndTakesOverAnUnfinishedInstallation) {
  TInsDir window;
  window.Required = 1;
  window.SetFolderText("d:\\a\\b\\tlx");
  ASSERT_EQ(window.KNextClick(), EInsDirClick::eidc_CloseOk);
  EXPECT_EQ(window.CreatedFolders, (std::vector<std::string>{"d:\\a", "d:\\a\\b", "d:\\a\\b\\tlx"}));
  EXPECT_FALSE(window.TookOverUnfinished);

  // The folder exists now. Holding the marker of an unfinished installation, it is taken over;
  // with the user's files and no marker, or another version's marker, it gets 1601.
  const std::string marker = d.NativePath("a/b/tlx/") + package::kInstallMarkerName;
  test::WriteNativeFile(d.NativePath("a/b/tlx/leftover.txt"), "half");
  const struct {
    const char* marker_text;
    bool taken;
  } cases[] = {{nullptr, false}, {"TlxSetup5_320\r\nVersion=3.2.1\r\n", false}, {"TlxSetup5_320\r\nVersion=3.2.0\r\n", true}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.marker_text ? k.marker_text : "no marker");
    if (k.marker_text) test::WriteNativeFile(marker, k.marker_text);
    scope.sink.requests.clear();
    TInsDir again;
    again.Required = 1;
    again.SetFolderText("d:\\a\\b\\tlx");
    EXPECT_EQ(again.KNextClick(), k.taken ? EInsDirClick::eidc_CloseOk : EInsDirClick::eidc_Stay);
    EXPECT_EQ(again.TookOverUnfinished, k.taken);
    EXPECT_EQ(scope.sink.requests.size(), k.taken ? 0u : 1u);
    EXPECT_EQ(again.CreatedFolders, k.taken ? std::vector<std::string>{"d:\\a\\b\\tlx"} : std::vector<std::string>{});
  }
}

TEST_F(InsDirTest, SpaceLabelsAndTheCheckFigure) {
  TInsDir window;
  window.Required = 700000000;
  window.FormShow();
  EXPECT_EQ(window.LFree, "Размер свободного пространства на диске 3 Гб");
  EXPECT_EQ(window.LReq, "Размер требуемого пространства на диске 668 Мб");
  EXPECT_EQ(window.FreeForCheck, 3 * kGiB);

  // Typing over the drive letter in another case refreshes the figures; the same letter does not.
  map.Set('c', DriveType::Fixed, 5 * kGiB);
  window.SetFolderText("c:\\other");
  EXPECT_EQ(window.FreeForCheck, 3 * kGiB);
  window.SetFolderText("C:\\tlx5_320");
  EXPECT_EQ(window.FreeForCheck, 4 * uint64_t{700000000});
  EXPECT_EQ(window.LFree, "Размер свободного пространства на диске 5 Гб");

  window.SetFolderText("g:\\tlx");  // removable without medium: unknown counts as plenty
  EXPECT_EQ(window.FreeForCheck, 4 * uint64_t{700000000});
  EXPECT_EQ(window.LFree, "Размер свободного пространства на диске неизвестен");
  window.SetFolderText("e:\\tlx");  // a CD is not usable: the figures stay
  EXPECT_EQ(window.FreeForCheck, 4 * uint64_t{700000000});
  window.SetFolderText("");
}

// The figures follow the drive of the folder text, however the text got there: typed over, or
// picked with "Обзор" (which moves LastFolder), and back again.
TEST_F(InsDirTest, SpaceFollowsTheDriveTypedInBothDirections) {
  constexpr uint64_t kRequired = 3 * kGiB / 2;
  ASSERT_TRUE(map.Set('c', DriveType::Fixed, 1 * kGiB));
  ASSERT_TRUE(map.Set('d', DriveType::Fixed, 2 * kGiB));
  const std::string kOnC = "Размер свободного пространства на диске 1024 Мб";
  const std::string kOnD = "Размер свободного пространства на диске 2 Гб";
  struct Case {
    std::vector<std::string> steps;  // folder texts typed in turn; "pick:" + folder uses "Обзор"
    std::string free_label;
    uint64_t free_for_check;
    EInsDirClick click;
  };
  const Case cases[] = {
      {{"d:\\x", "c:\\tlx5_320"}, kOnC, 1 * kGiB, EInsDirClick::eidc_Stay},
      {{"d:\\x", "c:\\x", "d:\\a1"}, kOnD, 2 * kGiB, EInsDirClick::eidc_CloseOk},
      {{"pick:d:\\", "c:\\y"}, kOnC, 1 * kGiB, EInsDirClick::eidc_Stay},
      {{"pick:d:\\", "c:\\y", "d:\\a2"}, kOnD, 2 * kGiB, EInsDirClick::eidc_CloseOk},
      {{"pick:d:\\", "c:\\a3", "pick:d:\\"}, kOnD, 2 * kGiB, EInsDirClick::eidc_CloseOk},
      {{"d:\\x", "q:\\x", "c:\\z"}, kOnC, 1 * kGiB, EInsDirClick::eidc_Stay},  // no drive q: between
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(::testing::PrintToString(k.steps));
    scope.sink.requests.clear();
    TInsDir window;
    window.Required = kRequired;
    window.FormShow();
    EXPECT_EQ(window.LFree, kOnC);
    for (const std::string& step : k.steps) {
      if (step.rfind("pick:", 0) == 0) {
        window.KViewClick([&](TSelDir& picker) {
          picker.FormShow();
          picker.OpenFolder(step.substr(5));
          return true;
        });
      } else {
        window.SetFolderText(step);
      }
    }
    EXPECT_EQ(window.LFree, k.free_label);
    EXPECT_EQ(window.FreeForCheck, k.free_for_check);
    EXPECT_EQ(window.KNextClick(), k.click);
    EXPECT_EQ(Texts(), k.click == EInsDirClick::eidc_Stay ? std::vector<std::string>{kNoSpace}
                                                          : std::vector<std::string>{});
  }
}

TEST_F(InsDirTest, ViewAppliesThePickedFolder) {
  struct Case {
    std::string field, picked, result;
  };
  const Case cases[] = {
      {"c:\\tlx5_320", "D:\\Programs", "D:\\Programs\\tlx5_320"},
      {"c:\\tlx5_320", "D:\\", "D:\\tlx5_320"},
      {"c:\\a\\b\\name", "d:\\x\\", "d:\\x\\name"},
  };
  for (const Case& k : cases) {
    TInsDir window;
    window.SetFolderText(k.field);
    char shown_drive = 0;
    EXPECT_EQ(window.KViewClick([&](TSelDir& picker) {
      shown_drive = picker.Drv;
      picker.FormShow();
      picker.OpenFolder(k.picked);
      return true;
    }),
              EInsDirClick::eidc_Stay);
    EXPECT_EQ(shown_drive, 'c');
    EXPECT_EQ(window.EdFile, k.result);
    EXPECT_EQ(window.LastFolder, k.result);
  }
  // Cancelled picker: nothing changes.
  TInsDir window;
  window.KViewClick([](TSelDir& picker) {
    picker.OpenFolder("d:\\elsewhere");
    return false;
  });
  EXPECT_EQ(window.EdFile, "c:\\tlx5_320");
  EXPECT_TRUE(scope.sink.requests.empty());
}

TEST_F(InsDirTest, ViewOfAnInvalidFolderRestoresTheLastOne) {
  TInsDir window;
  window.SetFolderText("c:");
  bool shown = false;
  EXPECT_EQ(window.KViewClick([&](TSelDir&) { return shown = true; }), EInsDirClick::eidc_FocusFolder);
  EXPECT_FALSE(shown);
  EXPECT_EQ(window.EdFile, "c:\\tlx5_320");
  ASSERT_EQ(Texts(), std::vector<std::string>{kBadFolder});
}

TEST_F(InsDirTest, PickerSnapsBackFromUnusableDrives) {
  TSelDir picker(700000000, 'c');
  picker.DrvChange('e');  // not shown yet: nothing but the selection
  EXPECT_EQ(picker.Drv, 'e');
  EXPECT_EQ(picker.DirList, "c:\\");
  picker.Drv = 'c';
  picker.FormShow();
  EXPECT_TRUE(picker.Armed);
  EXPECT_EQ(picker.LReq, "Размер требуемого пространства на диске 668 Мб");
  EXPECT_EQ(picker.LFree, "Размер свободного пространства на диске 3 Гб");

  picker.DrvClick();
  picker.DrvChange('d');
  EXPECT_EQ(picker.DirList, "d:\\");
  EXPECT_EQ(picker.LFree, "Размер свободного пространства на диске 10 Гб");
  picker.DrvClick();
  picker.DrvChange('g');  // removable, no medium: usable, its space unknown
  EXPECT_EQ(picker.LFree, "Размер свободного пространства на диске неизвестен");
  picker.DrvClick();
  picker.DrvChange('d');
  for (char unusable : {'e', 'f', 'q'}) {
    picker.DrvClick();
    picker.DrvChange(unusable);
    EXPECT_EQ(picker.Drv, 'd') << unusable;
    EXPECT_EQ(picker.PrevRoot, "d:\\");
    EXPECT_EQ(picker.DirList, "d:\\");
  }
  // The drive chosen before went away meanwhile: no endless snapping.
  picker.DrvClick();
  map.Set('d', DriveType::CdRom, 1);
  picker.DrvChange('e');
  EXPECT_EQ(picker.Drv, 'd');
}

TEST_F(InsDirTest, NoFixedDiskTerminates) {
  map.KeepOnly([](const platform::DriveConfig& d) { return d.type != DriveType::Fixed; });
  TInsDir window;
  EXPECT_TRUE(window.Terminated());
  ASSERT_EQ(scope.sink.requests.size(), 1u);
  EXPECT_EQ(scope.sink.requests[0].text,
            "На вашем компьютере нет ни одного жесткого диска. Установка программного комплекса ТЛК5 3.2.0 "
            "прерывается.");
}

}  // namespace
}  // namespace tlx::app
