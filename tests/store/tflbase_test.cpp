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

TEST_F(TFLBaseTest, NameLengthIsChecked) {
  TSFile file;
  EXPECT_FALSE(file.Open("", 0));
  EXPECT_EQ(file.LastErr(), messages::kFileLayerCodeBase + 51);
  EXPECT_FALSE(file.Open(drive.Path(std::string(260, 'n')), 3));
  EXPECT_EQ(file.LastErr(), messages::kFileLayerCodeBase + 51);
  EXPECT_FALSE(file.Open(std::string(259, 'n'), 0));  // 259 characters pass the check: not found
  EXPECT_EQ(file.LastErr(), messages::kFileLayerCodeBase + 52);
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
  EXPECT_EQ(file.Read(&byte, 0), 0u);
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
