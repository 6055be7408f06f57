// SFile: the four open modes, the refused operations, the question before replacing a file.
#include <gtest/gtest.h>

#include <filesystem>

#include "messages/recording_sink.h"
#include "messages/zerror.h"
#include "store/aliases.h"
#include "store/sfile.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::store {
namespace {

using messages::ZError;
using test::NativeExists;
using test::ReadNativeFile;
using test::WriteNativeFile;

class SFileTest : public ::testing::Test {
 protected:
  test::TempDrive drive;
  test::SinkScope scope;
  std::string name = drive.Path("a.dat");
  std::string native = drive.NativePath("a.dat");
};

// Runs `body` and returns the number of the ZError it raises (-1 when none).
template <typename F>
int32_t ErrorNumber(F body, std::string* params = nullptr) {
  try {
    body();
  } catch (const ZError& e) {
    if (params) *params = e.Params();
    return e.Number();
  }
  return -1;
}

TEST_F(SFileTest, OpensEachModeAsItsTableSays) {
  struct Case {
    uint8_t mode;
    bool existing;
    int32_t error;            // -1: opens
    std::string content_after;  // file content after open + close ("-": missing)
  } cases[] = {
      {kSFileRead, false, kMsgFileMissing, "-"},
      {kSFileRead, true, -1, "old"},
      {kSFileCreateReplace, true, -1, ""},
      {kSFileCreateReplace, false, -1, ""},
      {kSFileCreateAsk, false, -1, ""},
      {kSFileReadWrite, false, kMsgFileMissing, "-"},
      {kSFileReadWrite, true, -1, "old"},
      {0, true, messages::kMsgFinalText, "old"},
      {5, true, messages::kMsgFinalText, "old"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.mode));
    std::filesystem::remove(native);
    if (c.existing) WriteNativeFile(native, "old");
    std::string params = "unset";
    EXPECT_EQ(ErrorNumber([&] { SFile file(name, c.mode); }, &params), c.error);
    if (c.error == kMsgFileMissing) {
      EXPECT_EQ(params, name);
    }
    if (c.error == messages::kMsgFinalText) {
      EXPECT_EQ(params, "");
    }
    EXPECT_EQ(NativeExists(native) ? ReadNativeFile(native) : "-", c.content_after);
  }
  EXPECT_TRUE(scope.sink.requests.empty());  // only mode 2 on an existing file asks
}

TEST_F(SFileTest, CreateAskingReplacesOnlyAfterYes) {
  WriteNativeFile(native, "keep me");
  scope.sink.answer.button = messages::EMsgButton::emb_No;
  std::string params;
  EXPECT_EQ(ErrorNumber([&] { SFile file(name, kSFileCreateAsk); }, &params), messages::kMsgHandled);
  EXPECT_EQ(params, name);
  EXPECT_EQ(ReadNativeFile(native), "keep me");
  ASSERT_EQ(scope.sink.requests.size(), 1u);
  EXPECT_EQ(scope.sink.requests[0].kind, messages::EMsgKind::emk_Query);
  EXPECT_NE(scope.sink.requests[0].text.find(name), std::string::npos);  // question 2001 names the file

  scope.sink.answer.button = messages::EMsgButton::emb_Yes;
  {
    SFile file(name, kSFileCreateAsk);
    file.WriteLine("abc");
  }
  EXPECT_EQ(ReadNativeFile(native), "abc\r\n");
  EXPECT_EQ(scope.sink.requests.size(), 2u);
}

TEST_F(SFileTest, RefusesReadingAWriterAndWritingAReader) {
  WriteNativeFile(native, "");
  {
    SFile reader(name, kSFileRead);
    char byte = 0;
    EXPECT_EQ(reader.Read(&byte, 1), 0u);  // an empty file reads nothing
    EXPECT_EQ(ErrorNumber([&] { reader.Write("x", 1); }), kMsgWriteToReader);
    EXPECT_EQ(ErrorNumber([&] { reader.WriteLine("x"); }), kMsgWriteToReader);
  }
  scope.sink.answer.button = messages::EMsgButton::emb_Yes;
  for (uint8_t mode : {kSFileCreateAsk, kSFileCreateReplace}) {
    SFile writer(name, mode);
    char byte = 0;
    EXPECT_EQ(ErrorNumber([&] { writer.Read(&byte, 1); }), kMsgReadFromWriter);
  }
}

TEST_F(SFileTest, ReadsWritesAndSeeksReadWrite) {
  WriteNativeFile(native, "0123456789");
  SFile file(name, kSFileReadWrite);
  EXPECT_EQ(file.Seek(4), 4);
  EXPECT_EQ(file.Write("ab", 2), 2u);
  EXPECT_EQ(file.Tell(), 6);
  EXPECT_EQ(file.Seek(-2, platform::Origin::End), 8);
  char buffer[4] = {};
  EXPECT_EQ(file.Read(buffer, 4), 2u);
  EXPECT_EQ(std::string(buffer, 2), "89");
  EXPECT_EQ(file.Size(), 10);
  file.Close();
  EXPECT_EQ(ReadNativeFile(native), "0123ab6789");
}

TEST_F(SFileTest, SystemFailureNamesTheFileAndTheCode) {
  // A folder where the file should be: the open fails with a system error, not "missing".
  std::filesystem::create_directories(drive.NativePath("dir\\sub"));
  std::string params;
  EXPECT_EQ(ErrorNumber([&] { SFile file(drive.Path("dir"), kSFileReadWrite); }, &params),
            messages::kMsgWholeText);
  EXPECT_EQ(params.rfind(drive.Path("dir") + "#(", 0), 0u) << params;
  EXPECT_NE(params.find("[Win="), std::string::npos);
}

TEST_F(SFileTest, AliasedNameOpensInTheAliasFolder) {
  ClearAliases();
  std::filesystem::create_directories(drive.NativePath("prod\\CFG"));
  WriteNativeFile(drive.NativePath("prod\\CFG\\cfg.tlx"), "cfg");
  AddAlias(ParseAliasRecord("CFG#@\\CFG", drive.Path("prod")));
  SFile file("CFG#cfg.tlx", kSFileRead);
  EXPECT_EQ(file.Name(), drive.Path("prod") + "\\CFG\\cfg.tlx");
  char buffer[3];
  EXPECT_EQ(file.Read(buffer, 3), 3u);
  ClearAliases();
}

TEST_F(SFileTest, SharesReadingAndWritingWithOtherOpeners) {
  WriteNativeFile(native, "shared");
  SFile first(name, kSFileReadWrite);
  SFile second(name, kSFileRead);
  SFile third(name, kSFileReadWrite);
  char buffer[6];
  EXPECT_EQ(second.Read(buffer, 6), 6u);
  // Replacing deletes the file first and writes a new one; while others hold it open without
  // letting it be deleted, that is refused and the file stays as it is (never written into).
  std::string params;
  EXPECT_EQ(ErrorNumber([&] { SFile replacing(name, kSFileCreateReplace); }, &params), messages::kMsgWholeText);
  EXPECT_NE(params.find("[Win=00000020]"), std::string::npos) << params;
  EXPECT_EQ(ReadNativeFile(native), "shared");
  first.Close();
  second.Close();
  third.Close();
  SFile replacing(name, kSFileCreateReplace);
  replacing.Write("new", 3);
  replacing.Close();
  EXPECT_EQ(ReadNativeFile(native), "new");
}

// A file made anew for each creation: a hard link or a symbolic link in its place is removed as a
// link, and the file it led to keeps its bytes.
TEST_F(SFileTest, CreationNeverWritesThroughALink) {
  const std::string outside = drive.NativePath("outside.dat");
  for (const bool hard : {true, false}) {
    SCOPED_TRACE(hard ? "hard link" : "symbolic link");
    WriteNativeFile(outside, "keep me");
    std::filesystem::remove(native);
    std::error_code ec;
    if (hard) {
      std::filesystem::create_hard_link(outside, native, ec);
    } else {
      std::filesystem::create_symlink(outside, native, ec);
    }
    if (ec) continue;  // links of this kind cannot be made here
    for (uint8_t mode : {kSFileCreateReplace, kSFileCreateAsk}) {
      scope.sink.answer.button = messages::EMsgButton::emb_Yes;
      SFile file(name, mode);
      file.Write("ours", 4);
      file.Close();
      EXPECT_EQ(ReadNativeFile(native), "ours");
      EXPECT_EQ(ReadNativeFile(outside), "keep me");
    }
  }
}

}  // namespace
}  // namespace tlx::store
