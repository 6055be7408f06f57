// WFile reading: chains, deleted records, limits, and damaged or hostile files that must end in a
// clear error instead of a hang, a crash or a huge allocation.
#include <gtest/gtest.h>

#include <cstdio>

#include "messages/recording_sink.h"
#include "messages/zerror.h"
#include "store/wfile.h"
#include "store/record_bytes.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::store {
namespace {

using messages::ZError;
using test::CompoundBytes;
using test::DataStart;
using test::EndMarkerBytes;
using test::RecordBytes;
using test::WriteNativeFile;

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", value);
  return text;
}

class WFileReadTest : public ::testing::Test {
 protected:
  // Writes `bytes` as the test file and returns its name.
  std::string Make(const std::string& bytes) {
    WriteNativeFile(drive.NativePath("r.dat"), bytes);
    return name;
  }
  // The texts of the live records of logical file n.
  std::vector<std::string> Records(WFile& file, uint32_t n) { return test::LiveRecords(file, n); }

  test::TempDrive drive;
  test::SinkScope scope;
  std::string name = drive.Path("r.dat");
};

TEST_F(WFileReadTest, NewCompoundFileIsFiftySixBytes) {
  CreateCompoundFile(name, 3, "");
  const std::string expected = CompoundBytes({{32, 8}, {40, 8}, {48, 8}},
                                             EndMarkerBytes() + EndMarkerBytes() + EndMarkerBytes());
  EXPECT_EQ(test::ReadNativeFile(drive.NativePath("r.dat")), expected);
  EXPECT_EQ(expected.size(), 56u);
  WFile file(name);
  EXPECT_EQ(file.LogicalCount(), 3u);
  EXPECT_EQ(file.OpenLogical(1), EmptyLogicalSize);
  WRec rec;
  EXPECT_FALSE(file.ReadRecord(rec));
  EXPECT_FALSE(file.ReadRecord(rec));  // the reader stays on the end marker
  EXPECT_EQ(file.ReadPosition(), 40u);
}

TEST_F(WFileReadTest, RecordLengthLimits) {
  const uint32_t at = DataStart(1);
  struct Case {
    int32_t length;
    int32_t error;  // -1: read
    std::string params;
  } cases[] = {
      {20000, -1, ""},
      {20001, kMsgTooLong, name + "|( 20001)|20000|" + "00000010"},
      {0, kMsgZeroLength, name + "|( 00000010"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    const std::string record = RecordBytes(1, -1, std::string(c.length, 'x'));
    WFile file(Make(CompoundBytes({{at, uint32_t(record.size() + 8)}}, record + EndMarkerBytes())));
    file.OpenLogical(0);
    WRec rec;
    try {
      EXPECT_TRUE(file.ReadRecord(rec));
      EXPECT_EQ(c.error, -1);
      EXPECT_EQ(rec.length, 20000);
      EXPECT_EQ(rec.type, 1);
    } catch (const ZError& e) {
      EXPECT_EQ(e.Number(), c.error);
      EXPECT_EQ(e.Params(), c.params);
    }
  }
}

TEST_F(WFileReadTest, RecordLongerThanTheCallersBufferIsRefused) {
  const std::string record = RecordBytes(0, -1, std::string(100, 'x'));
  WFile file(Make(CompoundBytes({{DataStart(1), 115}}, record + EndMarkerBytes())));
  file.OpenLogical(0);
  WRec small(50);
  try {
    file.ReadRecord(small);
    FAIL();
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number(), kMsgTooLong);
  }
}

TEST_F(WFileReadTest, DeletedRecordsAreSkippedByLengthAndByLink) {
  const uint32_t s = DataStart(1);
  // s: "a"; s+8: deleted "dead" (link -1); s+19: deleted "jump" linking to s+41; s+30: live "skipped"
  // (never reached); s+41: "b"; s+49: end marker.
  const std::string data = RecordBytes(0, -1, "a") + RecordBytes(0x80, -1, "dead") +
                           RecordBytes(0x81, int32_t(s + 41), "jump") + RecordBytes(0, -1, "skip") +
                           RecordBytes(0, -1, "b") + EndMarkerBytes();
  WFile file(Make(CompoundBytes({{s, 24}}, data)));
  EXPECT_EQ(Records(file, 0), (std::vector<std::string>{"a", "b"}));
  uint32_t address = 0;
  uint32_t next = 0;
  WRec rec;
  EXPECT_TRUE(file.ReadRecordAt(s + 8, rec, &address, &next));
  EXPECT_EQ(rec.bytes(), "b");
  EXPECT_EQ(address, s + 41);
  EXPECT_EQ(next, s + 49);
}

TEST_F(WFileReadTest, PeekTransfersHeadAndFirstByte) {
  const uint32_t s = DataStart(1);
  WFile file(Make(CompoundBytes({{s, 20}}, RecordBytes(3, -1, "hello") + EndMarkerBytes())));
  file.OpenLogical(0);
  WRec rec;
  rec.data()[1] = 'Z';
  EXPECT_TRUE(file.PeekRecord(rec));
  EXPECT_EQ(rec.length, 5);
  EXPECT_EQ(rec.type, 3);
  EXPECT_EQ(rec.data()[0], 'h');
  EXPECT_EQ(rec.data()[1], 'Z');
  EXPECT_FALSE(file.PeekRecord(rec));
}

TEST_F(WFileReadTest, SimpleFileIsOneChain) {
  WriteNativeFile(drive.NativePath("s.dat"), RecordBytes(0, -1, "one") + RecordBytes(0, -1, "two") +
                                                 EndMarkerBytes());
  WFile file(drive.Path("s.dat"), SimpleMode::Read);
  EXPECT_FALSE(file.IsCompound());
  WRec rec;
  EXPECT_TRUE(file.ReadRecord(rec));
  EXPECT_TRUE(file.ReadRecord(rec));
  EXPECT_EQ(rec.bytes(), "two");
  EXPECT_FALSE(file.ReadRecord(rec));
  try {
    file.OpenLogical(0);
    FAIL();
  } catch (const ZError& e) {
    EXPECT_EQ(e.Params(), "Для файла " + drive.Path("s.dat") + " невозможна открытие логического файла");
  }
}

TEST_F(WFileReadTest, WrongLogicalNumber) {
  CreateCompoundFile(name, 2, "");
  WFile file(name);
  try {
    file.OpenLogical(2);
    FAIL();
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number(), 0);
    EXPECT_EQ(e.Params(), "Для файла " + name + " неверен номер лог. файла 2");
  }
}

// Every hostile file ends in a ZError (number and a text fragment), opening or reading.
TEST_F(WFileReadTest, HostileFilesAreRefused) {
  const uint32_t s = DataStart(1);
  const uint32_t s2 = DataStart(2);
  struct Case {
    const char* what;
    std::string bytes;
    int32_t number;
    const char* fragment;
  } cases[] = {
      {"self-link", CompoundBytes({{s, 16}}, RecordBytes(0, int32_t(s), "loop") + EndMarkerBytes()), 0,
       "зациклена"},
      {"two-record cycle",
       CompoundBytes({{s, 24}}, RecordBytes(0, int32_t(s + 9), "aa") + RecordBytes(0, int32_t(s), "bb") +
                                    EndMarkerBytes()),
       0, "зациклена"},
      {"deleted self-link", CompoundBytes({{s, 8}}, RecordBytes(0x80, int32_t(s), "d") + EndMarkerBytes()), 0,
       "зациклена"},
      {"link past the end", CompoundBytes({{s, 16}}, RecordBytes(0, 5000, "x") + EndMarkerBytes()), kMsgBadLink,
       "5000"},
      {"link into the directory", CompoundBytes({{s, 16}}, RecordBytes(0, 4, "x") + EndMarkerBytes()),
       kMsgBadLink, "|4"},
      {"negative link", CompoundBytes({{s, 16}}, RecordBytes(0, -7, "x") + EndMarkerBytes()), kMsgBadLink, "-7"},
      {"length past the end", CompoundBytes({{s, 8}}, RecordBytes(0, -1, "short", 900)), 0, "за конец файла"},
      {"chain without end marker", CompoundBytes({{s, 8}}, RecordBytes(0, -1, "x")), 0, "за конец"},
      {"count 0xFFFFFFFF", CompoundBytes({{s, 8}}, EndMarkerBytes(), 0, 0xFFFFFFFF), 0,
       "число логических файлов 4294967295"},
      {"directory past the end", CompoundBytes({{900, 8}}, EndMarkerBytes()), 0, "логический файл 0"},
      {"end address past the end", CompoundBytes({{s, 8}}, EndMarkerBytes(), 4000), 0, "адрес конца данных"},
      {"two logical files sharing one chain",
       CompoundBytes({{s2, 16}, {s2, 16}}, RecordBytes(0, -1, "x") + EndMarkerBytes()), 0,
       "логические файлы 0 и 1"},
      {"too short for a header", std::string("\x10\0\0", 3), 0, "нет заголовка"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      WFile file(Make(c.bytes));
      file.OpenLogical(0);
      WRec rec;
      for (int i = 0; i < 1000 && file.ReadRecord(rec); ++i) {
      }
      ADD_FAILURE() << "read without error";
    } catch (const ZError& e) {
      EXPECT_EQ(e.Number(), c.number);
      EXPECT_NE(e.Params().find(c.fragment), std::string::npos) << e.Params();
      EXPECT_NE(e.Params().find(name), std::string::npos) << e.Params();
    }
  }
}

// A chain that turns back on itself is refused the moment it does, not after reading as many bytes
// as the file holds: a reader that stops early (one stored file at a time) never sees a record twice.
// Padding after the chain would let a byte budget run on for a long time.
TEST_F(WFileReadTest, ALoopIsRefusedWhereItCloses) {
  const uint32_t s = DataStart(1);
  const std::string padding = RecordBytes(0, -1, std::string(20000, 'p'));
  const std::string chain = RecordBytes(1, -1, "a") + RecordBytes(2, -1, "b") + RecordBytes(0, int32_t(s + 8), "c");
  std::string data = chain + EndMarkerBytes();
  for (int i = 0; i < 50; ++i) data += padding;
  const std::string bytes = CompoundBytes({{s, static_cast<uint32_t>(chain.size()) + 8}}, data);
  for (const bool peek : {false, true}) {
    SCOPED_TRACE(peek ? "PeekRecord" : "ReadRecord");
    WFile file(Make(bytes));
    file.OpenLogical(0);
    WRec rec;
    auto next = [&] { return peek ? file.PeekRecord(rec) : file.ReadRecord(rec); };
    EXPECT_TRUE(next());
    EXPECT_TRUE(next());
    EXPECT_TRUE(next());
    EXPECT_EQ(rec.type, 0);
    try {
      next();  // "b" again
      ADD_FAILURE() << "read a record twice";
    } catch (const ZError& e) {
      EXPECT_NE(e.Params().find("зациклена (адрес записи " + Hex(s + 8) + ")"), std::string::npos) << e.Params();
    }
    // Positioned anew, the reader walks the chain again from its start.
    file.OpenLogical(0);
    EXPECT_TRUE(next());
    EXPECT_EQ(rec.bytes().substr(0, 1), "a");
  }
  // Reading on at the end marker reads the marker again: no loop.
  CreateCompoundFile(drive.Path("plain.dat"), 2, "version");
  WFile plain(drive.Path("plain.dat"));
  plain.OpenLogical(0);
  WRec rec;
  EXPECT_TRUE(plain.ReadRecord(rec));
  EXPECT_FALSE(plain.ReadRecord(rec));
  EXPECT_FALSE(plain.ReadRecord(rec));
}

TEST_F(WFileReadTest, SeekRecordChecksTheEndAddress) {
  CreateCompoundFile(name, 1, "");
  WFile file(name);
  file.SeekRecord(file.EndAddress());
  try {
    file.SeekRecord(file.EndAddress() + 1);
    FAIL();
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number(), kMsgBadLink);
    EXPECT_EQ(e.Params(), name + "|" + std::to_string(file.EndAddress() + 1));
  }
}

}  // namespace
}  // namespace tlx::store
