// The installation record read by the uninstaller: its text round trip, and lines that would make
// the uninstaller act outside the installation refused.
#include <gtest/gtest.h>

#include "package/install_record.h"

namespace tlx::package {
namespace {

TEST(InstallRecord, RoundTripAndNotes) {
  InstallRecord record;
  record.version = "3.2.0";
  record.install_dir = "c:\\Мои программы\\tlx";
  record.shortcut = "c:\\Desktop\\ТЛК5_320.LNK";
  record.created_parents = {"c:\\Мои программы"};
  record.FolderCreated("c:\\Мои программы\\tlx\\Rus");
  record.FolderCreated("c:\\Мои программы\\tlx\\Rus\\Rab");
  record.FolderCreated("C:\\МОИ ПРОГРАММЫ\\TLX\\RUS");  // noted once
  record.FolderCreated("c:\\elsewhere\\x");               // not below the folder
  record.FileWritten("c:\\Мои программы\\tlx\\Exe\\tlx.exe");
  record.FileWritten("c:\\Мои программы\\tlx\\Exe\\TLX.EXE");
  EXPECT_EQ(record.folders, (std::vector<std::string>{"Rus", "Rus\\Rab"}));
  EXPECT_EQ(record.files, (std::vector<std::string>{"Exe\\tlx.exe"}));

  const std::string text = FormatInstallRecord(record);
  EXPECT_NE(text.find("\r\n[Files]\r\nExe\\tlx.exe\r\n"), std::string::npos) << text;
  std::string error;
  const std::optional<InstallRecord> back = ParseInstallRecord(text, &error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(FormatInstallRecord(*back), text);
  EXPECT_EQ(back->created_parents, record.created_parents);
}

TEST(InstallRecord, RefusesLinesThatLeaveTheInstallation) {
  const std::string head = "[Setup]\nDir=c:\\tlx\n";
  const char* bad[] = {
      "[Files]\n..\\boot.ini",        "[Files]\nExe\\..\\..\\x",  "[Files]\nc:\\x",     "[Files]\n\\x",
      "[Folders]\nExe\\",             "[Files]\nExe\\\\tlx.exe",  "[Files]\nname:stream", "[Folders]\n.",
      "[CreatedParents]\nc:\\other",  "[CreatedParents]\nc:\\tlx", "[Other]\nx",         "[Setup]\nColour=red",
      "[Files]\n\xC0\xC1",
  };
  for (const char* lines : bad) {
    std::string error;
    EXPECT_FALSE(ParseInstallRecord(head + lines, &error)) << lines;
    EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
  }
  std::string error;
  EXPECT_FALSE(ParseInstallRecord("[Files]\nExe\\tlx.exe\n", &error));  // no Dir
  EXPECT_FALSE(ParseInstallRecord("[Setup]\nDir=tlx\n", &error));
  EXPECT_TRUE(ParseInstallRecord(head + "[CreatedParents]\n[Files]\nExe\\tlx.exe\n", &error)) << error;
}

}  // namespace
}  // namespace tlx::package
