// Path aliases: name resolution, the alias file, the start check, the CFG folder search, versions.
#include <gtest/gtest.h>

#include <filesystem>

#include "config/config_record.h"
#include "messages/recording_sink.h"
#include "messages/zerror.h"
#include "platform/fs.h"
#include "store/aliases.h"
#include "store/sfile.h"
#include "store/version.h"
#include "store/wfile.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::store {
namespace {

class AliasesTest : public ::testing::Test {
 protected:
  AliasesTest() {
    ClearAliases();
    root = drive.Path("tlx");
    SetProductRoot(root);
    std::filesystem::create_directories(drive.NativePath("tlx\\EXE"));
    std::filesystem::create_directories(drive.NativePath("tlx\\Cfg"));
  }
  ~AliasesTest() override {
    ClearAliases();
    SetProductRoot("");
    CurrentVersion() = STLXVER();
  }
  // Writes alias.tlx with one record per line (code page 1251 text, as the suite stores it).
  void WriteAliasFile(const std::vector<std::string>& lines) {
    WFile file(root + "\\EXE\\alias.tlx", SimpleMode::CreateReplace);
    for (const std::string& line : lines) file.WriteTypedRecord(0, uint16_t(line.size()), line.data());
  }
  void WriteCfgFiles(const std::vector<std::string>& files) {
    for (const std::string& f : files) test::WriteNativeFile(drive.NativePath("tlx\\Cfg\\" + f), "x");
  }
  template <typename F>
  std::pair<int32_t, std::string> Error(F body) {
    try {
      body();
    } catch (const messages::ZError& e) {
      return {e.Number(), e.Params()};
    }
    return {-1, ""};
  }

  test::TempDrive drive;
  test::SinkScope scope;
  std::string root;
};

TEST_F(AliasesTest, ResolvesNames) {
  WriteAliasFile({"CFG#@\\CFG", " nsi # @\\RUS\\NSI # @\\UKR\\NSI ", "ABS#c:\\abs\\"});
  WriteCfgFiles({"cfg.tlx"});
  ASSERT_EQ(LoadAliases(true), 0);
  struct Case {
    std::string name;
    uint8_t doc_lang;
    std::string expected;
  } cases[] = {
      {"CFG#cfg.tlx", 1, root + "\\CFG\\cfg.tlx"},
      {"  cfg  #  Cfg.Tlx  ", 1, root + "\\CFG\\Cfg.Tlx"},
      {"CFG#", 1, "CFG"},
      {"NSI#a.nsi", 1, root + "\\RUS\\NSI\\a.nsi"},
      {"NSI#a.nsi", 0, root + "\\UKR\\NSI\\a.nsi"},
      {"abs#x", 1, "C:\\ABS\\x"},
      {"c:\\full\\path.dat", 1, "c:\\full\\path.dat"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    config::Config().SetDocLanguage(c.doc_lang);
    EXPECT_EQ(ResolveName(c.name), c.expected);
  }
  EXPECT_EQ(Error([] { ResolveName(" # "); }), std::make_pair(kMsgNoFileName, std::string(" # ")));
  EXPECT_EQ(Error([] { ResolveName("nope#x"); }), std::make_pair(kMsgNoAlias, std::string("NOPE")));
}

TEST_F(AliasesTest, UnloadedListRaisesSeven) {
  EXPECT_EQ(Error([] { AliasFolder("cfg"); }), std::make_pair(kMsgNoAlias, std::string("CFG")));
  EXPECT_EQ(ResolveName("plain.dat"), "plain.dat");
}

TEST_F(AliasesTest, StartCheckListsMissingFiles) {
  EXPECT_EQ(LoadAliases(false), 1);
  ASSERT_EQ(scope.sink.requests.size(), 1u);
  EXPECT_EQ(scope.sink.requests[0].text, "У тецi Exe по маршруту " + root +
                                             "\\EXE\\ відсутній файл alias.tlx.\n Робота програми припиняється!");
  WriteAliasFile({"CFG#@\\CFG"});
  EXPECT_EQ(LoadAliases(false), 1);
  ASSERT_EQ(scope.sink.requests.size(), 2u);
  EXPECT_EQ(scope.sink.requests[1].text,
            "У тецi CFG по маршруту " + root +
                "\\Cfg\\ відсутні файли  \"cfg.tlx\", \"boib.sfr\", \"klsstd.tlx\", \"klsuse.tlx\".\n"
                " Робота програми припиняється!");
  WriteCfgFiles({"cfg.tlx", "klsstd.tlx"});
  EXPECT_EQ(LoadAliases(false), 1);
  EXPECT_NE(scope.sink.requests[2].text.find("файли  \"boib.sfr\", \"klsuse.tlx\".\n"), std::string::npos);
  EXPECT_THROW(AliasFolder("CFG"), messages::ZError);  // nothing loaded
  WriteCfgFiles({"boib.sfr", "klsuse.tlx"});
  EXPECT_EQ(LoadAliases(false), 0);
  EXPECT_EQ(AliasFolder("cfg"), root + "\\CFG\\");
  EXPECT_EQ(ExeFolder(), root + "\\EXE\\");
  EXPECT_EQ(CfgFolder(), root + "\\Cfg\\");
}

// LoadAliases reads the product's own Cfg.tlx: the version and the document language that picks a
// two-language alias come from the file, whatever the record held before.
TEST_F(AliasesTest, LoadReadsTheProductsConfiguration) {
  WriteAliasFile({"NSI#@\\RUS\\NSI#@\\UKR\\NSI"});
  WriteCfgFiles({"boib.sfr", "klsstd.tlx", "klsuse.tlx"});
  std::string cfg(config::kConfigRecordSize, '\0');
  cfg.replace(config::cfg::kVersionText, 8, "5\xD3-4.1.7");  // "5У-4.1.7" in code page 1251
  cfg[config::cfg::kDocLanguage] = static_cast<char>(config::kLangUkrainian);
  cfg += std::string("\x05\x00", 2) + "\xEF\xF3\xF2\xFC\x31";  // first text "путь1"
  test::WriteNativeFile(drive.NativePath("tlx\\Cfg\\cfg.tlx"), cfg);
  config::Config().Clear();
  config::Config().SetDocLanguage(config::kLangRussian);

  ASSERT_EQ(LoadAliases(false), 0);
  EXPECT_EQ(CurrentVersion().text, "4.1.7");
  EXPECT_EQ(CurrentVersion().lang_variant, kVersionLangUkrainian);
  EXPECT_EQ(CurrentVersion().edition, 5);
  EXPECT_EQ(config::Config().Texts()[0], "путь1");
  EXPECT_EQ(ResolveName("NSI#a.nsi"), root + "\\UKR\\NSI\\a.nsi");
}

// Without its Cfg.tlx the product does not run on a record left from elsewhere.
TEST_F(AliasesTest, MissingConfigurationIsAnError) {
  WriteAliasFile({"CFG#@\\CFG"});
  EXPECT_EQ(Error([] { LoadAliases(true); }), std::make_pair(kMsgFileMissing, root + "\\Cfg\\cfg.tlx"));
  EXPECT_THROW(AliasFolder("CFG"), messages::ZError);
}

TEST(VersionText, Parses) {
  struct Case {
    std::string text;
    int edition, lang, l1, l2, l3, l4;
  } cases[] = {
      {"3.2.0", 3, 0, 3, 2, 0, 0},       {"3.2.0.4", 3, 0, 3, 2, 0, 4}, {"5-3.2.1", 5, 0, 3, 2, 1, 0},
      {"5У-3.2.1", 5, 2, 3, 2, 1, 0},    {"5R-3.2", 5, 1, 3, 2, 0, 0},  {"7", 3, 0, 7, 0, 0, 0},
      {"300.1.-1", 3, 0, 44, 1, 255, 0}, {"", 3, 0, 9, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    STLXVER v;
    v.level1 = 9;
    v.Parse(c.text);
    EXPECT_EQ(v.text, c.text);
    EXPECT_EQ(std::vector<int>({v.edition, v.lang_variant, v.level1, v.level2, v.level3, v.level4}),
              std::vector<int>({c.edition, c.lang, c.l1, c.l2, c.l3, c.l4}));
  }
  STLXVER start;
  EXPECT_EQ(start.edition, 5);
  EXPECT_EQ(start.text, "3.2.0");
}

TEST_F(AliasesTest, FindsTheCfgFolderUpwards) {
  std::filesystem::create_directories(drive.NativePath("prod\\CFG"));
  std::filesystem::create_directories(drive.NativePath("prod\\EXE\\bin"));
  EXPECT_EQ(FindCfgFolderFrom(drive.Path("prod\\EXE\\bin")), drive.Path("prod\\CFG\\"));
  EXPECT_EQ(CfgProductFolder(), drive.Path("prod\\"));
  std::filesystem::create_directories(drive.NativePath("other\\EXE"));
  if (!platform::FolderExists("E:\\TLX3\\CFG\\")) {
    try {
      FindCfgFolderFrom(drive.Path("other\\EXE"));
      FAIL();
    } catch (const messages::ZError& e) {
      EXPECT_EQ(e.Params(), "Отсутствует директория CFG");
    }
  }
}

}  // namespace
}  // namespace tlx::store
