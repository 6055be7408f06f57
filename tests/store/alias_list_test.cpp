// The alias list class: items from text or record files, comments, limits and state codes.
#include <gtest/gtest.h>

#include "messages/recording_sink.h"
#include "store/alias_list.h"
#include "store/wfile.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::store {
namespace {

TEST(AliasList, TextLinesCommentsAndCodes) {
  struct Case {
    std::string text;
    int code;
    size_t items;
  } cases[] = {
      {"CFG#c:\\cfg  \r\nNSI#c:\\nsi\n\rDOC#d\rEXE#e\n", eals_Ok, 4},
      {"// only a comment\r\n\r\n   \n", eals_Empty, 0},
      {"#no id\r\nOK#x", eals_HasErrors, 2},
      {std::string(dfMaxLenAliasID + 1, 'I') + "#x", eals_HasErrors, 1},
      {std::string(dfMaxLenAliasID, 'I') + "#" + std::string(dfMaxLenAliasInfo, 'i'), eals_Ok, 1},
      {"ID#" + std::string(dfMaxLenAliasInfo + 1, 'i'), eals_HasErrors, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    TLBsAls list;
    EXPECT_EQ(list.LoadText(c.text), c.code);
    EXPECT_EQ(list.Items().size(), c.items);
  }
  TLBsAls list;
  list.LoadText("CFG#c:\\cfg  \r\nNSI#c:\\nsi\n\rDOC#d\rEXE#e\n//X#y");
  EXPECT_EQ(list.Find("cfg"), "c:\\cfg");
  EXPECT_EQ(list.Find("doc"), "d");
  EXPECT_EQ(list.Find("x"), std::nullopt);
  EXPECT_EQ(list.Items()[1].id, "NSI");
  EXPECT_EQ(TLBsAls::CodeText(eals_Empty), "Список Alias пустой");
  EXPECT_EQ(TLBsAls::CodeText(eals_IdTooLong), "Длина идентификатора(имени) Alias > dfMaxLenAliasID");
  TLBsAls bad;
  bad.LoadText("#x\nY#" + std::string(dfMaxLenAliasInfo + 1, 'i'));
  EXPECT_EQ(bad.Items()[0].code, eals_NoId);
  EXPECT_EQ(bad.Items()[1].code, eals_InfoTooLong);
}

TEST(AliasList, RecordAndTextFiles) {
  test::TempDrive drive;
  test::SinkScope scope;
  {
    WFile file(drive.Path("alias.tlx"), SimpleMode::CreateReplace);
    file.WriteTypedRecord(0, 10, "CFG#c:\\cfg");
    file.WriteTypedRecord(0, 7, "NSI#n\0z");
  }
  TLBsAls records;
  EXPECT_EQ(records.LoadRecordFile(drive.Path("alias.tlx")), eals_Ok);
  EXPECT_EQ(records.Find("NSI"), "n");  // the data ends at a zero byte
  test::WriteNativeFile(drive.NativePath("alias.txt"), "// list\r\nA#\xC0\r\n");
  TLBsAls text;
  EXPECT_EQ(text.LoadTextFile(drive.Path("alias.txt")), eals_Ok);
  EXPECT_EQ(text.Find("a"), "А");  // code page 1251 text
  TLBsAls missing;
  EXPECT_EQ(missing.LoadTextFile(drive.Path("none.txt")), eals_OpenFailed);
  EXPECT_EQ(missing.LoadRecordFile(drive.Path("none.tlx")), eals_OpenFailed);
}

}  // namespace
}  // namespace tlx::store
