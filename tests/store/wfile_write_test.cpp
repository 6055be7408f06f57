// WFile writing: logical files through the temporary file, simple files, in-place edits, and the
// whole-file operations that copy, measure and compact compound files.
#include <gtest/gtest.h>

#include "messages/recording_sink.h"
#include "messages/zerror.h"
#include "store/record_bytes.h"
#include "store/wfile.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::store {
namespace {

using messages::ZError;
using test::NativeExists;
using test::ReadNativeFile;
using test::WriteNativeFile;

class WFileWriteTest : public ::testing::Test {
 protected:
  std::vector<std::string> Records(WFile& file, uint32_t n) { return test::LiveRecords(file, n); }
  void WriteLogical(WFile& file, uint32_t n, const std::vector<std::string>& records) {
    file.BeginLogical(n);
    for (const std::string& r : records) file.WriteTypedRecord(1, uint16_t(r.size()), r.data());
    file.EndLogical(n, true);
  }
  std::string Bytes() { return ReadNativeFile(native); }
  template <typename F>
  std::string ErrorText(F body) {
    try {
      body();
    } catch (const ZError& e) {
      return e.Params();
    }
    return "no error";
  }

  test::TempDrive drive;
  test::SinkScope scope;
  std::string name = drive.Path("c.dat");
  std::string native = drive.NativePath("c.dat");
};

TEST_F(WFileWriteTest, CommittedLogicalFileReplacesTheOldChain) {
  CreateCompoundFile(name, 3, "3.2.0");
  WFile file(name);
  EXPECT_EQ(Records(file, 0), std::vector<std::string>{"3.2.0"});
  file.BeginLogical(1);
  EXPECT_EQ(file.WriteTypedRecord(4, 3, "abc"), 0u);
  EXPECT_EQ(file.WriteText("hi"), 10u);
  EXPECT_TRUE(NativeExists(native + "$$"));
  file.EndLogical(1, true);
  EXPECT_FALSE(NativeExists(native + "$$"));
  EXPECT_EQ(Records(file, 1), (std::vector<std::string>{"abc", std::string("\x02\x00hi", 4)}));
  EXPECT_EQ(file.LogicalLength(1), 10u + 11u + 8u);
  // Discarding leaves the committed chain.
  file.BeginLogical(1);
  file.WriteText("lost");
  file.EndLogical(1, false);
  EXPECT_EQ(Records(file, 1).size(), 2u);
  file.Close();
  WFile again(name, true);
  EXPECT_EQ(again.EndAddress(), ReadNativeFile(native).size());
}

TEST_F(WFileWriteTest, EndLogicalWithTheWrongNumberCommitsTheOpenOne) {
  CreateCompoundFile(name, 6, "");
  WFile file(name);
  file.BeginLogical(3);
  file.WriteText("three");
  EXPECT_EQ(ErrorText([&] { file.EndLogical(5, true); }),
            "Для файла " + name + " ошибочно задан номер файла 5 вместо 3");
  EXPECT_EQ(Records(file, 3).size(), 1u);
  EXPECT_EQ(ErrorText([&] { file.EndLogical(3, true); }),
            "Закрытие файла невозможно для несуществующего файла TMP$");
  // Beginning another logical file while one is open commits it and reports it.
  file.BeginLogical(1);
  file.WriteText("one");
  EXPECT_EQ(ErrorText([&] { file.BeginLogical(2); }), "Для файла " + name + " не выполнено закрытие файла 1");
  EXPECT_EQ(Records(file, 1).size(), 1u);
  file.BeginLogical(4);
  file.WriteText("four");
  EXPECT_EQ(ErrorText([&] { file.Close(); }), "Для файла " + name + " не выполнено закрытие файла 4");
  WFile again(name, true);
  EXPECT_EQ(Records(again, 4).size(), 1u);
  EXPECT_EQ(ErrorText([&] { again.BeginLogical(6); }), "Для файла " + name + " неверен номер лог. файла 6");
}

TEST_F(WFileWriteTest, DestructionCommitsButNotWhileUnwinding) {
  CreateCompoundFile(name, 2, "");
  {
    WFile file(name);
    file.BeginLogical(1);
    file.WriteText("kept");
  }
  try {
    WFile file(name);
    file.BeginLogical(1);
    file.WriteText("half");
    throw std::runtime_error("failure while writing");
  } catch (const std::runtime_error&) {
  }
  WFile file(name, true);
  EXPECT_EQ(Records(file, 1), std::vector<std::string>{std::string("\x04\x00kept", 6)});
  EXPECT_FALSE(NativeExists(native + "$$"));
}

TEST_F(WFileWriteTest, CommitOnAReadOnlyFileKeepsTheDirectory) {
  CreateCompoundFile(name, 2, "");
  const std::string before = Bytes();
  WFile file(name, true);
  file.BeginLogical(1);
  file.WriteText("x");
  EXPECT_EQ(ErrorText([&] { file.EndLogical(1, true); }), "Файл " + name + " не открыт только для записи");
  EXPECT_EQ(Bytes(), before);
  EXPECT_FALSE(NativeExists(native + "$$"));
  EXPECT_EQ(file.LogicalLength(1), EmptyLogicalSize);
}

TEST_F(WFileWriteTest, ClearLogicalAndCopyLogical) {
  CreateCompoundFile(name, 3, "");
  WFile file(name);
  const std::string empty = Bytes();
  file.ClearLogical(2);
  EXPECT_EQ(Bytes(), empty);  // nothing written for an empty logical file

  WriteLogical(file, 1, {"a", "b"});
  WriteLogical(file, 2, {"c"});
  CopyLogical(file, 1, file, 0);
  EXPECT_EQ(Records(file, 0), (std::vector<std::string>{"a", "b"}));
  file.ClearLogical(1);
  EXPECT_EQ(file.LogicalLength(1), EmptyLogicalSize);
  EXPECT_TRUE(Records(file, 1).empty());
  CopyLogical(file, 1, file, 2);  // empty source clears the target
  EXPECT_TRUE(Records(file, 2).empty());
  EXPECT_EQ(file.LogicalLength(2), EmptyLogicalSize);

  WriteNativeFile(drive.NativePath("s.dat"), test::EndMarkerBytes());
  WFile simple(drive.Path("s.dat"), SimpleMode::Read);
  EXPECT_EQ(ErrorText([&] { CopyLogical(simple, 0, file, 0); }),
            "При копировании логических файлов " + drive.Path("s.dat") + " или " + name + " не составной");
}

TEST_F(WFileWriteTest, GarbageThenCompactionRestoresIdenticalChains) {
  CreateCompoundFile(name, 4, "3.2.0");
  std::vector<std::vector<std::string>> chains;
  {
    WFile file(name);
    WriteLogical(file, 2, {"old", "older"});
    WriteLogical(file, 2, {"new", std::string(3000, 'n'), "x"});
    WriteLogical(file, 3, {"three", "four"});
    uint32_t start3 = 0;
    file.OpenLogical(3, &start3);
    file.EditRecord(kEditDelete, 3, WRec(), 0, int32_t(start3));
    for (uint32_t n = 0; n < 4; ++n) chains.push_back(Records(file, n));
  }
  EXPECT_FALSE(IsCompact(name));
  const int garbage = GarbagePercent(name);
  EXPECT_GT(garbage, 0);
  CompactCompoundFile(name, garbage + 1);  // below the threshold: untouched
  EXPECT_FALSE(IsCompact(name));
  CompactCompoundFile(name, 0);
  EXPECT_TRUE(IsCompact(name));
  EXPECT_EQ(GarbagePercent(name), 0);
  EXPECT_FALSE(NativeExists(native + "$"));
  WFile file(name, true);
  for (uint32_t n = 0; n < 4; ++n) EXPECT_EQ(Records(file, n), chains[n]) << n;
  EXPECT_EQ(file.EndAddress(), Bytes().size());
}

TEST_F(WFileWriteTest, CompactionRefusesChainsThatShareRecords) {
  // Logical files 0 and 1 start apart but run into one shared tail: copying both would duplicate it.
  const uint32_t s = test::DataStart(2);
  const std::string tail = test::RecordBytes(0, -1, std::string(100, 't')) + test::EndMarkerBytes();
  const std::string data = test::RecordBytes(0, -1, "a") + test::RecordBytes(0, int32_t(s + 16), "b") + tail;
  test::WriteNativeFile(native, test::CompoundBytes({{s, 8 + 115}, {s + 8, 8 + 115}}, data));
  const std::string before = Bytes();
  EXPECT_NE(ErrorText([&] { CompactCompoundFile(name, -1000); }).find("общие записи"), std::string::npos);
  EXPECT_EQ(Bytes(), before);
  EXPECT_FALSE(NativeExists(native + "$"));
}

TEST_F(WFileWriteTest, IsCompactShowsAnUnreadableFile) {
  EXPECT_TRUE(IsCompact(drive.Path("missing.dat")));
  ASSERT_EQ(scope.sink.requests.size(), 1u);
  EXPECT_EQ(scope.sink.requests[0].text, "Файл " + drive.Path("missing.dat") + " не существует");
}

TEST_F(WFileWriteTest, SimpleFileCreateAppendAndExport) {
  const std::string simple = drive.Path("s.dat");
  {
    WFile file(simple, SimpleMode::CreateReplace);
    EXPECT_EQ(file.WriteText("first"), 0u);
    EXPECT_EQ(file.WriteText("second"), 14u);
  }
  {
    WFile file(simple, SimpleMode::Append);
    file.WriteText("third");
  }
  EXPECT_EQ(ReadNativeFile(drive.NativePath("s.dat")),
            test::RecordBytes(0, -1, std::string("\x05\x00", 2) + "first") +
                test::RecordBytes(0, -1, std::string("\x06\x00", 2) + "second") +
                test::RecordBytes(0, -1, std::string("\x05\x00", 2) + "third") + test::EndMarkerBytes());
  ExportTextFile(simple, drive.Path("s.txt"));
  EXPECT_EQ(ReadNativeFile(drive.NativePath("s.txt")), "first\r\nsecond\r\nthird\r\n");
  {
    WFile file(simple, SimpleMode::Read);
    EXPECT_EQ(ErrorText([&] { file.WriteText("x"); }), "Файл " + simple + " не открыт для записи или дозаписи");
    EXPECT_EQ(ErrorText([&] { file.WriteTypedRecord(0, 1, "x"); }),
              "Файл " + simple + " не открыт только для записи или дозаписи");
  }
  // Appending over a file that does not end with an end marker would destroy its last bytes.
  WriteNativeFile(drive.NativePath("t.dat"), "plain text, no records");
  EXPECT_EQ(ErrorText([&] { WFile file(drive.Path("t.dat"), SimpleMode::Append); }),
            "Файл " + drive.Path("t.dat") + " должен быть простым");
  EXPECT_EQ(ReadNativeFile(drive.NativePath("t.dat")), "plain text, no records");
}

TEST_F(WFileWriteTest, EditRecordOperations) {
  CreateCompoundFile(name, 2, "");
  WFile file(name);
  WriteLogical(file, 1, {"a", "b", "c"});
  uint32_t start = 0;
  file.OpenLogical(1, &start);
  const int32_t a = int32_t(start), b = a + 8, c = b + 8;
  auto rec = [](std::string_view text) {
    WRec r;
    r.Assign(1, text);
    return r;
  };
  auto length = [&] { return file.LogicalLength(1); };
  const uint32_t full = length();

  file.EditRecord(kEditDelete, 1, WRec(), 0, b);
  EXPECT_EQ(Records(file, 1), (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(length(), full - 8);
  EXPECT_EQ(ErrorText([&] { file.EditRecord(kEditDelete, 1, WRec(), 0, b); }), name);  // number 8

  file.EditRecord(kEditReplaceAny, 1, rec("C"), 0, c);  // same length: in place
  EXPECT_EQ(Records(file, 1), (std::vector<std::string>{"a", "C"}));
  file.EditRecord(kEditReplaceAny, 1, rec("AAAA"), 0, a);  // new length: appended, old one deleted
  EXPECT_EQ(Records(file, 1), (std::vector<std::string>{"AAAA", "C"}));
  EXPECT_EQ(length(), full - 8 + 3);

  file.EditRecord(kEditInsert, 1, rec("first"), a, -1);  // becomes the start of the logical file
  EXPECT_EQ(Records(file, 1), (std::vector<std::string>{"first", "AAAA", "C"}));

  uint32_t first = 0;
  file.OpenLogical(1, &first);
  WRec scratch;
  file.ReadRecord(scratch);
  file.ReadRecord(scratch);
  const int32_t aaaa = int32_t(file.LastRecordAddress());
  file.EditRecord(kEditBatchBegin, 1, rec("p"), 0, 0);
  EXPECT_NE(ErrorText([&] { file.EditRecord(kEditDelete, 1, WRec(), 0, c); }).find("не завершена"),
            std::string::npos);
  file.EditRecord(kEditBatchNext, 1, rec("q"), 0, 0);
  file.EditRecord(kEditBatchEnd, 1, rec("r"), aaaa, int32_t(first));
  EXPECT_EQ(Records(file, 1), (std::vector<std::string>{"first", "p", "q", "r", "AAAA", "C"}));
  file.Close();
  WFile again(name, true);
  EXPECT_EQ(Records(again, 1), (std::vector<std::string>{"first", "p", "q", "r", "AAAA", "C"}));
  EXPECT_EQ(again.EndAddress(), Bytes().size());
}

TEST_F(WFileWriteTest, RewriteRecordNeedsTheSameLength) {
  CreateCompoundFile(name, 2, "");
  WFile file(name);
  WriteLogical(file, 1, {"abc"});
  uint32_t start = 0;
  file.OpenLogical(1, &start);
  WRec rec;
  rec.Assign(1, "xyz");
  file.RewriteRecord(start, rec);
  EXPECT_EQ(Records(file, 1), std::vector<std::string>{"xyz"});
  rec.Assign(1, "long");
  try {
    file.RewriteRecord(start, rec);
    FAIL();
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number(), kMsgRewriteLength);
  }
}

TEST_F(WFileWriteTest, FindFreeLogical) {
  CreateCompoundFile(name, 4, "v");
  WFile file(name);
  WriteLogical(file, 2, {"x"});
  EXPECT_EQ(FindFreeLogical(file, -1, 0), 1u);
  EXPECT_EQ(FindFreeLogical(file, 1, 0), 3u);
  EXPECT_EQ(ErrorText([&] { FindFreeLogical(file, 3, 2); }), "Необходимо увеличить количество логических файлов");
}

TEST_F(WFileWriteTest, CopyFileResolvesAndOverwrites) {
  test::WriteNativeFile(native, "payload");
  test::WriteNativeFile(drive.NativePath("d.dat"), "old");
  CopyFile(name, drive.Path("d.dat"));
  EXPECT_EQ(ReadNativeFile(drive.NativePath("d.dat")), "payload");
  const std::string missing = drive.Path("none.dat");
  const std::string text = ErrorText([&] { CopyFile(missing, drive.Path("e.dat")); });
  EXPECT_EQ(text.rfind(missing + "=>" + drive.Path("e.dat") + "#(", 0), 0u) << text;
}

}  // namespace
}  // namespace tlx::store
