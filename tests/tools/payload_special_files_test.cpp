// Payload entries that are no regular file or folder (POSIX: symbolic links, a FIFO, a device node):
// tlxpack refuses each by name before it writes anything, and never hangs on a FIFO.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "package/folder_tables.h"
#include "support/files.h"
#include "support/temp_drive.h"
#include "tools/install_expectation.h"
#include "tools/tlxpack/build.h"
#include "tools/tlxpack/error_text.h"
#include "tools/tlxpack/install_buffer.h"

namespace tlx::tlxpack {
namespace {

namespace fs = std::filesystem;
using test::Part;
using test::WriteNativeFile;

// The sources of the reference copies: the least a payload must hold.
void WriteMinimalPayload(const std::string& payload) {
  for (std::string_view cfg : package::kReferenceConfigFiles) WriteNativeFile(payload + "/Cfg" + Part(cfg), "config");
  for (size_t lang = 0; lang < package::kLanguageFolders.size(); ++lang) {
    const std::string root = payload + Part(package::kLanguageFolders[lang]);
    for (std::string_view db : package::kReferenceCopies[lang].databases) WriteNativeFile(root + "/LBN" + Part(db), "db");
    WriteNativeFile(root + "/UserNsi" + Part(package::kReferenceCopies[lang].user_file), "user file");
  }
}

// A socket bound at `path` (left bound: the name stays a socket).
bool MakeSocket(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  path.copy(address.sun_path, path.size());
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0) return false;
  const bool bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return bound;
}

// Builds `payload` into `dist` and returns the error text, or "built" when it was built.
std::string BuildError(const BuildOptions& options) {
  try {
    BuildDistribution(options);
    return "built";
  } catch (const std::exception& error) {
    return ErrorText(error);
  }
}

struct SpecialCase {
  const char* label;
  const char* entry;  // payload-relative
  std::function<bool(const std::string& native, const std::string& outside)> make;  // false: cannot here
  const char* what;
};

TEST(TlxpackPayload, RefusesLinksFifosAndDevicesByName) {
  const SpecialCase cases[] = {
      {"LinkToDevZero", "Doc/zero.bin",
       [](const std::string& at, const std::string&) { return symlink("/dev/zero", at.c_str()) == 0; },
       "symbolic link"},
      {"LinkToAFileOutside", "Doc/linked.txt",
       [](const std::string& at, const std::string& outside) {
         WriteNativeFile(outside + "/linked.txt", "outside the payload");
         return symlink((outside + "/linked.txt").c_str(), at.c_str()) == 0;
       },
       "symbolic link"},
      {"LinkedWorkingFolder", "Doc",
       [](const std::string& at, const std::string& outside) {
         WriteNativeFile(outside + "/readme.txt", "outside the payload");
         return symlink(outside.c_str(), at.c_str()) == 0;
       },
       "symbolic link"},
      {"Fifo", "Doc/pipe", [](const std::string& at, const std::string&) { return mkfifo(at.c_str(), 0644) == 0; },
       "not a regular file"},
      {"Socket", "Doc/socket", [](const std::string& at, const std::string&) { return MakeSocket(at); },
       "not a regular file"},
      {"DescriptionAFifo", "tlxpack.toml",
       [](const std::string& at, const std::string&) { return mkfifo(at.c_str(), 0644) == 0; }, "not a regular file"},
      {"DescriptionALinkToDevZero", "tlxpack.toml",
       [](const std::string& at, const std::string&) { return symlink("/dev/zero", at.c_str()) == 0; }, "symbolic link"},
      {"DeviceNode", "Doc/null",
       [](const std::string& at, const std::string&) { return mknod(at.c_str(), S_IFCHR | 0644, makedev(1, 3)) == 0; },
       "not a regular file"},
  };
  for (const SpecialCase& c : cases) {
    SCOPED_TRACE(c.label);
    test::TempDrive drive('c');
    const std::string payload = drive.NativePath("payload");
    WriteMinimalPayload(payload);
    fs::create_directories(payload + "/Doc");
    if (std::string(c.entry) == "Doc") fs::remove(payload + "/Doc");
    fs::create_directories(drive.NativePath("outside"));
    // A device node needs the right to make one; the other entries can always be made.
    if (!c.make(payload + "/" + c.entry, drive.NativePath("outside"))) {
      EXPECT_EQ(std::string(c.label), "DeviceNode") << "cannot be made";
      continue;
    }
    BuildOptions options;
    options.payload = drive.Path("payload");
    options.destination = drive.Path("dist");
    options.jobs = 1;
    try {
      BuildDistribution(options);
      ADD_FAILURE() << "built";
    } catch (const std::exception& error) {
      const std::string text = ErrorText(error);
      EXPECT_NE(text.find(fs::path(c.entry).filename().string() + ": "), std::string::npos) << text;
      EXPECT_NE(text.find(c.what), std::string::npos) << text;
    }
    EXPECT_FALSE(test::NativeExists(drive.NativePath("dist")));
  }
}

// Files named on the command line (the setup program, the certificate and its password) that are no
// regular file: refused by name before anything is written, never read (a FIFO would hold tlxpack).
TEST(TlxpackPayload, CommandLineFilesThatAreNoRegularFileAreRefusedFirst) {
  test::TempDrive drive('c');
  WriteMinimalPayload(drive.NativePath("payload"));
  WriteNativeFile(drive.NativePath("cert.p12"), "not looked at");
  ASSERT_EQ(mkfifo(drive.NativePath("fifo").c_str(), 0644), 0);
  ASSERT_EQ(symlink("/dev/zero", drive.NativePath("zero").c_str()), 0);
  fs::create_directories(drive.NativePath("folder"));
  const struct {
    const char* label;
    std::function<void(BuildOptions&)> set;
    const char* says;
  } cases[] = {
      {"setup program a FIFO", [&](BuildOptions& o) { o.setup_program = drive.Path("fifo"); },
       "fifo: the setup program is not a regular file"},
      {"setup program a link to /dev/zero", [&](BuildOptions& o) { o.setup_program = drive.Path("zero"); },
       "zero: the setup program is not a regular file"},
      {"setup program a folder", [&](BuildOptions& o) { o.setup_program = drive.Path("folder"); },
       "folder: the setup program is a folder"},
      {"certificate a FIFO", [&](BuildOptions& o) { o.signing.pkcs12 = drive.Path("fifo"); },
       "fifo: the certificate file is not a regular file"},
      {"password a FIFO",
       [&](BuildOptions& o) {
         o.signing.pkcs12 = drive.Path("cert.p12");
         o.signing.password_file = drive.Path("fifo");
       },
       "fifo: the password file is not a regular file"},
  };
  for (const auto& c : cases) {
    BuildOptions options;
    options.payload = drive.Path("payload");
    options.destination = drive.Path("dist");
    options.jobs = 1;
    c.set(options);
    EXPECT_NE(BuildError(options).find(c.says), std::string::npos) << c.label << ": " << BuildError(options);
    EXPECT_FALSE(test::NativeExists(drive.NativePath("dist"))) << c.label;
  }
}

// Files whose sizes alone say they cannot fit an install buffer (its records have 32-bit addresses):
// refused by the sizes before anything is read. The files are sparse, so the test writes no gigabytes.
TEST(TlxpackPayload, FilesLargerThanAnInstallBufferAreRefusedBeforeTheyAreRead) {
  const struct {
    const char* label;
    std::vector<std::pair<const char*, uint64_t>> files;
    const char* says;
  } cases[] = {
      {"one file of 5 GiB", {{"Doc/huge.bin", uint64_t{5} << 30}}, "huge.bin: 5368709120 bytes, more than one install buffer holds"},
      {"one file just over the limit", {{"Doc/over.bin", kMaxInstallBufferSize + 1}}, "over.bin: 2147483648 bytes"},
      {"two files of 1.5 GiB in one group",
       {{"Doc/a.bin", uint64_t{3} << 29}, {"Exe/b.bin", uint64_t{3} << 29}},
       "b.bin: with this file the files of group 0 no longer fit one install buffer"},
  };
  for (const auto& c : cases) {
    test::TempDrive drive('c');
    const std::string payload = drive.NativePath("payload");
    WriteMinimalPayload(payload);
    for (const auto& [path, size] : c.files) {
      WriteNativeFile(payload + "/" + path, "");
      fs::resize_file(payload + "/" + path, size);
    }
    BuildOptions options;
    options.payload = drive.Path("payload");
    options.destination = drive.Path("dist");
    options.jobs = 1;
    EXPECT_NE(BuildError(options).find(c.says), std::string::npos) << c.label << ": " << BuildError(options);
    EXPECT_FALSE(test::NativeExists(drive.NativePath("dist"))) << c.label;
  }
  // The check looks at the sizes only: sources that do not even exist are refused the same way.
  const std::vector<InstallUnit> units = {{{{1, "a.bin", {}, "/nonexistent/a.bin", kMaxInstallBufferSize}}}};
  EXPECT_THROW(CheckInstallBufferRoom(0, units), std::runtime_error);
  EXPECT_NO_THROW(CheckInstallBufferRoom(0, {{{{1, "a.bin", {}, "/nonexistent/a.bin", 1u << 30}}}}));
}

}  // namespace
}  // namespace tlx::tlxpack
