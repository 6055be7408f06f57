// TFLBase: open modes, status flags, the error codes and their two ways of reporting.
#include <gtest/gtest.h>

#include <filesystem>

#include "messages/recording_sink.h"
#include "messages/zerror.h"
#include "store/tflbase.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::store {
namespace {

using test::ReadNativeFile;
using test::WriteNativeFile;

class TFLBaseTest : public ::testing::Test {
 protected:
  test::TempDrive drive;
  test::SinkScope scope;
  std::string name = drive.Path("f.bin");
  std::string native = drive.NativePath("f.bin");
};

TEST_F(TFLBaseTest, ModesAndCodes) {
  struct Case {
    uint8_t mode;
    bool existing;
    bool opens;
    uint32_t code;  // own code reported, 0 none
  } cases[] = {
      {0, true, true, 0},   {0, false, false, 52}, {1, true, false, 50}, {6, true, false, 50},
      {3, true, true, 0},   {3, false, true, 0},   {4, false, true, 0},  {5, true, true, 0},
      {5, false, false, 52}, {2, false, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.mode));
    std::filesystem::remove(native);
    if (c.existing) WriteNativeFile(native, "old");
    scope.sink.requests.clear();
    TSFile file;
    EXPECT_EQ(file.Open(name, c.mode), c.opens);
    EXPECT_EQ(file.LastErr(), c.code ? messages::kFileLayerCodeBase + c.code : 0u);
    EXPECT_EQ((file.Flags() & kFlOpen) != 0, c.opens);
    EXPECT_EQ((file.Flags() & kFlError) != 0, c.code != 0);
    if (c.opens && c.mode != 3) {
      EXPECT_EQ((file.Flags() & kFlExisted) != 0, c.existing);
    }
    ASSERT_EQ(scope.sink.requests.size(), c.code ? 1u : 0u);
    if (c.code == 52) {
      EXPECT_EQ(scope.sink.requests[0].text, "Не найден файл " + name);
    }
    if (c.code == 50) {
      EXPECT_EQ(scope.sink.requests[0].text, "Недопустимый режим открытия файла " + name);
    }
  }
}

// The limit counts characters: a Cyrillic character is two bytes of UTF-8 and still one character,
// and the name kept for the messages is never cut inside one.
TEST_F(TFLBaseTest, NameLimitCountsCharacters) {
  const auto repeat = [](std::string_view unit, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) text += unit;
    return text;
  };
  struct Case {
    std::string name;
    uint32_t code;
    std::string kept;
  } cases[] = {
      {"", 51, ""},
      {repeat("n", 259), 52, repeat("n", 259)},  // passes the check: not found
      {repeat("n", 260), 51, repeat("n", 259)},
      {repeat("ы", 150), 52, repeat("ы", 150)},
      {repeat("ы", 259), 52, repeat("ы", 259)},
      {repeat("ы", 260), 51, repeat("ы", 259)},
      {repeat("n", 258) + "ыы", 51, repeat("n", 258) + "ы"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.name.size()) + " bytes");
    TSFile file;
    EXPECT_FALSE(file.Open(c.name, 0));
    EXPECT_EQ(file.LastErr(), messages::kFileLayerCodeBase + c.code);
    EXPECT_TRUE(file.Name() == c.kept) << file.Name().size() << " bytes kept";
  }
  // A long Cyrillic path opens and is written (folders of 100 characters: the file system's own
  // limit is on bytes per name).
  const std::string folder = repeat("ы", 100);
  const std::string native_folder = drive.NativePath(folder);
  std::filesystem::create_directories(std::u8string(native_folder.begin(), native_folder.end()));
  const std::string path = drive.Path(folder + "\\" + repeat("ж", 50));
  ASSERT_GT(path.size(), 259u);
  TSFile file;
  ASSERT_TRUE(file.Open(path, 3)) << file.LastErr();
  EXPECT_EQ(file.Name(), path);
  EXPECT_EQ(file.Write("ok", 2), 2u);
}

TEST_F(TFLBaseTest, RaisesInsteadOfShowingWhenAsked) {
  TSFile file;
  file.SetRaise(true);
  try {
    file.Open(name, 0);
    FAIL() << "no exception";
  } catch (const messages::TZExcept& e) {
    EXPECT_EQ(e.Code, messages::kFileLayerCodeBase + 52);
    EXPECT_EQ(e.SysCode, 0u);
    EXPECT_EQ(e.FileName, name);
  }
  EXPECT_TRUE(scope.sink.requests.empty());
}

TEST_F(TFLBaseTest, ModeFourCreatesThenAppends) {
  {
    TSFile file;
    ASSERT_TRUE(file.Open(name, 4));
    EXPECT_EQ(file.Write("ab", 2), 2u);
  }
  {
    TSFile file;
    ASSERT_TRUE(file.Open(name, 4));
    EXPECT_EQ(file.Tell(), 2);
    EXPECT_EQ(file.Write("cd", 2), 2u);
    EXPECT_EQ(file.WriteAt(0, "A", 1), 1u);
    EXPECT_EQ(file.WriteAt(-1, "e", 1), 1u);
    char buffer[8] = {};
    EXPECT_EQ(file.ReadAt(0, buffer, 8), 5u);
    EXPECT_EQ(std::string(buffer, 5), "Abcde");
    EXPECT_EQ(file.Read(buffer, 8), 0u);
    EXPECT_NE(file.Flags() & kFlEof, 0);
    EXPECT_EQ(file.Size(), 5);
  }
  EXPECT_EQ(ReadNativeFile(native), "Abcde");
}

TEST_F(TFLBaseTest, CreateNewAsksWithCodeOne) {
  WriteNativeFile(native, "old");
  scope.sink.answer.button = messages::EMsgButton::emb_No;
  TSFile file;
  EXPECT_FALSE(file.Open(name, 2));
  EXPECT_EQ(ReadNativeFile(native), "old");
  ASSERT_EQ(scope.sink.requests.size(), 1u);
  EXPECT_EQ(scope.sink.requests[0].text, "Файл " + name + " уже существует. #Перекрывать ?");

  scope.sink.answer.button = messages::EMsgButton::emb_Yes;
  ASSERT_TRUE(file.Open(name, 2));
  EXPECT_EQ(file.Flags() & kFlExisted, 0);
  EXPECT_EQ(file.Size(), 0);
}

TEST_F(TFLBaseTest, DirectionChecksAndClosedFile) {
  WriteNativeFile(native, "data");
  TSFile file;
  ASSERT_TRUE(file.Open(name, 0));
  EXPECT_EQ(file.Write("x", 1), 0u);
  EXPECT_EQ(file.LastErr(), messages::kFileLayerCodeBase + 59);
  EXPECT_FALSE(file.Flush());
  file.Close();
  EXPECT_EQ(file.Mode(), kFlClosedMode);
  EXPECT_EQ(file.EffectiveMode(), kFlClosedMode);
  EXPECT_EQ(file.Flags(), 0);
  EXPECT_EQ(file.LastErr(), 0u);
  EXPECT_EQ(file.Name(), "");
  EXPECT_EQ(file.Seek(3, platform::Origin::Begin), 0);  // closed: 0 without a report
  EXPECT_EQ(file.Size(), 0);
  EXPECT_EQ(file.LastErr(), 0u);

  ASSERT_TRUE(file.Open(name, 3));
  char byte;
  EXPECT_EQ(file.Read(&byte, 1), 0u);
  EXPECT_EQ(file.LastErr(), messages::kFileLayerCodeBase + 58);
}

// Nothing to transfer does nothing, whichever way the file is open: no code, no message.
TEST_F(TFLBaseTest, ZeroBytesDoNothing) {
  WriteNativeFile(native, "data");
  for (uint8_t mode : {uint8_t{0}, uint8_t{3}}) {
    SCOPED_TRACE(int(mode));
    scope.sink.requests.clear();
    TSFile file;
    ASSERT_TRUE(file.Open(name, mode));
    char byte = 'x';
    EXPECT_EQ(file.Read(&byte, 0), 0u);
    EXPECT_EQ(file.Write(&byte, 0), 0u);
    EXPECT_EQ(file.ReadAt(1, &byte, 0), 0u);
    EXPECT_EQ(file.WriteAt(1, &byte, 0), 0u);
    EXPECT_EQ(file.LastErr(), 0u);
    EXPECT_EQ(file.Flags() & (kFlError | kFlEof), 0);
    EXPECT_EQ(file.Tell(), 0);
    EXPECT_TRUE(scope.sink.requests.empty());
  }
}

TEST_F(TFLBaseTest, AttachUsesTheGivenHandle) {
  WriteNativeFile(native, "xyz");
  platform::OpenOptions options;
  platform::File handle = platform::File::Open(name, options);
  ASSERT_TRUE(handle.valid());
  TSFile file;
  file.Attach(std::move(handle));
  EXPECT_EQ(file.Flags() & (kFlOpen | kFlAttached), kFlOpen | kFlAttached);
  EXPECT_EQ(file.Size(), 3);
}

}  // namespace
}  // namespace tlx::store
