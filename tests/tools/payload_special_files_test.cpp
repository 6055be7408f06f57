// Payload entries that are no regular file or folder (POSIX: symbolic links, a FIFO, a device node):
// tlxpack refuses each by name before it writes anything, and never hangs on a FIFO.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <functional>
#include <string>

#include "package/folder_tables.h"
#include "support/files.h"
#include "support/temp_drive.h"
#include "tools/install_expectation.h"
#include "tools/tlxpack/build.h"
#include "tools/tlxpack/error_text.h"

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

}  // namespace
}  // namespace tlx::tlxpack
