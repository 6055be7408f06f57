// Volumes against independent programs: Python's lzma module as a second encoder, 7-Zip (format lzma86)
// as a second decoder. A test skips with a message where its program is not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "package/lzma_volume.h"
#include "package/volume_container.h"
#include "sample_data.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::package {
namespace {

using test::Bytes;

bool HaveProgram(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

TEST(LzmaPeers, VolumesMadeByPythonUnpack) {
  if (!HaveProgram("python3")) GTEST_SKIP() << "python3 is not installed";
  test::TempDrive drive;
  const std::string script = std::string(TLX_PACKAGE_TEST_DIR) + "/make_python_volumes.py";
  ASSERT_EQ(std::system(("python3 " + Quoted(script) + " " + Quoted(drive.native())).c_str()), 0);
  const std::string plain = test::ReadNativeFile(drive.NativePath("plain.bin"));
  ASSERT_FALSE(plain.empty());
  for (const char* volume : {"py_lzma1.vol", "py_x86.vol"}) {
    SCOPED_TRACE(volume);
    EXPECT_EQ(UnpackFile(drive.Path("out"), drive.Path(volume), 0, nullptr, 0), plain.size());
    EXPECT_TRUE(test::ReadNativeFile(drive.NativePath("out")) == plain);
  }
}

TEST(LzmaPeers, SevenZipUnpacksOurVolumes) {
  if (!HaveProgram("7zz")) GTEST_SKIP() << "7zz (Debian package 7zip) is not installed";
  test::TempDrive drive;
  Bytes input = test::TextSample(200000);
  const Bytes code = test::BranchSample(50000);
  input.insert(input.end(), code.begin(), code.end());
  test::WriteNativeFile(drive.NativePath("in"), test::AsString(input));

  // The distribution's own form through the file operation, then the other forms the container allows.
  ASSERT_NE(PackFile(drive.Path("vol0"), drive.Path("in"), nullptr, 0), 0u);
  struct Form {
    const char* name;
    VolumeFilter filter;
    bool end_marker;
  };
  for (const Form& form : {Form{"vol1", VolumeFilter::kX86, false}, Form{"vol2", VolumeFilter::kNone, true},
                           Form{"vol3", VolumeFilter::kX86, true}}) {
    Bytes container(PackCapacity(input.size()));
    size_t written = 0;
    ASSERT_EQ(EncodeContainer(input, container, form.filter, form.end_marker, &written, nullptr),
              CodecStatus::kOk);
    container.resize(written);
    test::WriteNativeFile(drive.NativePath(form.name), test::AsString(container));
  }
  for (const char* volume : {"vol0", "vol1", "vol2", "vol3"}) {
    SCOPED_TRACE(volume);
    const std::string out = drive.NativePath(std::string(volume) + ".out");
    const std::string command =
        "7zz x -tlzma86 -so " + Quoted(drive.NativePath(volume)) + " >" + Quoted(out) + " 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(test::ReadNativeFile(out) == test::AsString(input));
  }
}

}  // namespace
}  // namespace tlx::package
