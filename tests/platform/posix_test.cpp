// The POSIX platform's own behaviour: the drive configuration, drive types and free space, how
// drive paths map onto folders, symbolic links, the English message texts.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>

#include "platform/config.h"
#include "platform/drives.h"
#include "platform/error.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/mapping.h"
#include "platform/posix/posix_internal.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::platform {
namespace {

// Restores the configuration a test changes.
class ConfigGuard {
 public:
  ConfigGuard() : saved_(CurrentConfig()) {}
  ~ConfigGuard() { Configure(saved_); }

 private:
  PlatformConfig saved_;
};

TEST(ParseDrive, Items) {
  struct Case {
    const char* item;
    bool ok;
    char letter;
    const char* folder;
    DriveType type;
    bool has_medium;
    std::optional<uint64_t> free;
  };
  const Case cases[] = {
      {"c=/tmp/c:fixed", true, 'c', "/tmp/c", DriveType::Fixed, true, std::nullopt},
      {"C=/tmp/c", true, 'c', "/tmp/c", DriveType::Fixed, true, std::nullopt},
      {"d=/srv/dist:cdrom", true, 'd', "/srv/dist", DriveType::CdRom, true, std::nullopt},
      {"e=:removable-no-medium", true, 'e', "", DriveType::Removable, false, std::nullopt},
      {"g=:cdrom-no-medium", true, 'g', "", DriveType::CdRom, false, std::nullopt},
      {"f=/tmp/f:fixed:1000000", true, 'f', "/tmp/f", DriveType::Fixed, true, 1000000},
      {"h=/odd:name/x:remote", true, 'h', "/odd:name/x", DriveType::Remote, true, std::nullopt},
      {"r=/r:ramdisk:0", true, 'r', "/r", DriveType::RamDisk, true, 0},
      {"u=/u:unknown", true, 'u', "/u", DriveType::Unknown, true, std::nullopt},
      {"c=/tmp/c:floppy", false, 0, "", DriveType::Fixed, true, std::nullopt},
      {"c=/tmp/c:1000", false, 0, "", DriveType::Fixed, true, std::nullopt},
      {"c=/tmp/c:fixed:12x", false, 0, "", DriveType::Fixed, true, std::nullopt},
      {"c=/tmp/c:fixed:99999999999999999999999", false, 0, "", DriveType::Fixed, true, std::nullopt},
      {"c=:fixed", false, 0, "", DriveType::Fixed, true, std::nullopt},
      {"1=/tmp", false, 0, "", DriveType::Fixed, true, std::nullopt},
      {"c:/tmp", false, 0, "", DriveType::Fixed, true, std::nullopt},
      {"", false, 0, "", DriveType::Fixed, true, std::nullopt},
  };
  for (const Case& c : cases) {
    std::string error;
    auto drive = ParseDrive(c.item, &error);
    ASSERT_EQ(drive.has_value(), c.ok) << c.item;
    if (!c.ok) {
      EXPECT_NE(error.find(c.item), std::string::npos) << error;
      continue;
    }
    EXPECT_EQ(drive->letter, c.letter) << c.item;
    EXPECT_EQ(drive->folder, c.folder) << c.item;
    EXPECT_EQ(drive->type, c.type) << c.item;
    EXPECT_EQ(drive->has_medium, c.has_medium) << c.item;
    EXPECT_EQ(drive->free_bytes, c.free) << c.item;
  }
}

TEST(DriveConfig, TypesMaskAndFreeSpace) {
  ConfigGuard guard;
  test::TempDrive c('c');
  PlatformConfig config = CurrentConfig();
  for (const char* item : {"a=:removable-no-medium", "d=/nonexistent-folder:cdrom", "f=/tmp:fixed:1000000"}) {
    config.drives.push_back(*ParseDrive(item, nullptr));
  }
  ASSERT_TRUE(Configure(config));

  EXPECT_EQ(LogicalDrives(), (1u << 0) | (1u << 2) | (1u << 3) | (1u << 5));
  struct Case {
    const char* root;
    DriveType type;
  };
  const Case cases[] = {{"c:\\", DriveType::Fixed}, {"C:", DriveType::Fixed},  {"c:\\x\\", DriveType::Fixed},
                        {"a:\\", DriveType::Removable}, {"D:\\", DriveType::CdRom}, {"q:\\", DriveType::NoRootDir},
                        {"", DriveType::NoRootDir}};
  for (const Case& t : cases) EXPECT_EQ(GetDriveType(t.root), t.type) << t.root;

  EXPECT_EQ(FreeBytes("f:\\"), 1000000u);
  EXPECT_EQ(FreeBytes("F:\\some\\folder"), 1000000u);
  auto real = FreeBytes("c:\\");
  ASSERT_TRUE(real);
  EXPECT_GT(*real, 0u);
  EXPECT_FALSE(FreeBytes("a:\\"));
  EXPECT_EQ(LastError(), err::kNotReady);
  EXPECT_FALSE(FreeBytes("q:\\"));
  EXPECT_EQ(LastError(), err::kPathNotFound);

  // No medium and no drive, through the file functions.
  EXPECT_FALSE(File::Open("a:\\x.txt", {}).valid());
  EXPECT_EQ(LastError(), err::kNotReady);
  EXPECT_FALSE(FileExists("q:\\x.txt"));
  EXPECT_EQ(LastError(), err::kPathNotFound);
  EXPECT_FALSE(NativePath("q:\\x"));
  EXPECT_FALSE(NativePath("a:\\x"));
}

TEST(PathMapping, DriveFormsOntoTheFolder) {
  ConfigGuard guard;
  test::TempDrive drive('c');
  test::WriteNativeFile(drive.native() + "/tlx5_320/Cfg/Cfg.tlx", "x");
  test::WriteNativeFile(drive.native() + "/Програми/Довідка/Файл.txt", "y");
  const std::string& n = drive.native();
  struct Case {
    const char* path;
    std::string native;
  };
  const Case cases[] = {
      {"c:", n},
      {"C:\\", n},
      {"c:/", n},
      {"c:\\tlx5_320\\Cfg", n + "/tlx5_320/Cfg"},
      {"C:/TLX5_320/cfg/CFG.TLX", n + "/tlx5_320/Cfg/Cfg.tlx"},
      {"c:\\tlx5_320\\\\cfg\\", n + "/tlx5_320/Cfg"},
      {"c:\\tlx5_320\\.\\x\\..\\cfg", n + "/tlx5_320/Cfg"},
      {"c:\\..\\..\\etc", n + "/etc"},  // never above the root
      {"c:\\ПРОГРАМИ\\довідка\\файл.TXT", n + "/Програми/Довідка/Файл.txt"},
      {"c:\\tlx5_320\\New\\Sub", n + "/tlx5_320/New/Sub"},
      {"c:\\TLX5_320\\NewName", n + "/tlx5_320/NewName"},
      {"/usr/lib", "/usr/lib"},
  };
  for (const Case& c : cases) EXPECT_EQ(NativePath(c.path), c.native) << c.path;
}

TEST(PathMapping, CurrentFolderForms) {
  ConfigGuard guard;
  test::TempDrive drive('c');
  const std::string saved_native = std::filesystem::current_path().string();
  test::WriteNativeFile(drive.native() + "/Work/Sub/f.txt", "z");

  ASSERT_TRUE(SetCurrentFolder("c:\\work"));
  EXPECT_EQ(CurrentFolder(), "c:\\work");  // kept in the form given
  EXPECT_EQ(NativePath("sub\\F.TXT"), drive.native() + "/Work/Sub/f.txt");
  EXPECT_EQ(NativePath("\\work"), drive.native() + "/Work");
  EXPECT_EQ(NativePath("c:sub"), drive.native() + "/Work/Sub");
  EXPECT_TRUE(FileExists("SUB\\f.txt"));

  // Set natively inside the drive: reported in drive form all the same.
  ASSERT_TRUE(SetCurrentFolder(drive.native() + "/Work/Sub"));
  EXPECT_EQ(CurrentFolder(), "c:\\Work\\Sub");
  ASSERT_TRUE(SetCurrentFolder(drive.native()));
  EXPECT_EQ(CurrentFolder(), "c:\\");
  // Outside every drive: the native path.
  ASSERT_TRUE(SetCurrentFolder("/"));
  EXPECT_EQ(CurrentFolder(), "/");
  EXPECT_FALSE(SetCurrentFolder("c:\\Work\\Sub\\f.txt"));
  EXPECT_EQ(LastError(), 267u);
  ASSERT_TRUE(SetCurrentFolder(saved_native));
}

TEST(PathMapping, ProgramAndWindowsFolders) {
  ConfigGuard guard;
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  ASSERT_GT(n, 0);
  const std::string folder = std::filesystem::path(std::string(exe, static_cast<size_t>(n))).parent_path().string();
  EXPECT_EQ(ProgramFolder(), folder);

  PlatformConfig config = CurrentConfig();
  DriveConfig d;
  d.letter = 'p';
  d.folder = std::filesystem::path(folder).parent_path().string();
  config.drives.push_back(d);
  config.windows_folder = "p:\\WINDOWS";
  ASSERT_TRUE(Configure(config));
  EXPECT_EQ(ProgramFolder(), "p:\\" + std::filesystem::path(folder).filename().string());
  EXPECT_EQ(WindowsFolder(), "p:\\WINDOWS");
}

TEST(PathMapping, RenameChangingOnlyLetterCase) {
  test::TempDrive drive('c');
  test::WriteNativeFile(drive.native() + "/Other/moved.txt", "m");
  EXPECT_TRUE(MoveFile("c:\\other\\moved.txt", "c:\\other\\MOVED.TXT", false));
  EXPECT_EQ(test::ReadNativeFile(drive.native() + "/Other/MOVED.TXT"), "m");
  EXPECT_FALSE(test::NativeExists(drive.native() + "/Other/moved.txt"));
}

TEST(SymbolicLinks, SeenAndRemovedAsLinks) {
  test::TempDrive drive('c');
  test::WriteNativeFile(drive.native() + "/outside/sentinel.txt", "keep");
  std::filesystem::create_directory_symlink(drive.native() + "/outside", drive.native() + "/dirlink");
  std::filesystem::create_symlink(drive.native() + "/outside/sentinel.txt", drive.native() + "/filelink");

  EXPECT_EQ(Attributes("c:\\dirlink"), attr::kReparsePoint | attr::kDirectory);
  EXPECT_EQ(Attributes("c:\\filelink"), attr::kReparsePoint | attr::kArchive);
  auto entries = ListFolder("c:\\", "*link");
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 2u);
  EXPECT_EQ((*entries)[0].name, "dirlink");
  EXPECT_TRUE((*entries)[0].attributes & attr::kReparsePoint);
  EXPECT_EQ((*entries)[0].size, 0u);

  EXPECT_TRUE(RemoveFolder("c:\\DIRLINK"));
  EXPECT_TRUE(DeleteFile("c:\\filelink"));
  EXPECT_EQ(test::ReadNativeFile(drive.native() + "/outside/sentinel.txt"), "keep");
  EXPECT_FALSE(RemoveFolder("c:\\outside\\sentinel.txt"));
  EXPECT_EQ(LastError(), 267u);
}

TEST(Listing, WindowsOrderAndExtensionCorners) {
  test::TempDrive drive('c');
  for (const char* name : {"b.txt", "A.txt", "Я.txt", "а.txt", "c.txtx", "noext", "z."}) {
    test::WriteNativeFile(drive.NativePath(name), "");
  }
  auto entries = ListFolder("c:\\", "*.*");
  ASSERT_TRUE(entries);
  std::vector<std::string> names;
  for (auto& e : *entries) names.push_back(e.name);
  // "." and ".." first, then upper-cased order: Latin before Cyrillic.
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "A.txt", "b.txt", "c.txtx", "noext", "z.", "а.txt", "Я.txt"}));
  auto txt = ListFolder("c:\\", "*.txt");
  ASSERT_TRUE(txt);
  EXPECT_EQ(txt->size(), 4u);  // c.txtx is not one of them
  auto bare = ListFolder("c:\\", "*.");  // names without an extension, "." and ".." among them
  ASSERT_TRUE(bare);
  names.clear();
  for (auto& e : *bare) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "noext", "z."}));
}

TEST(Process, VersionAndMetricsFromConfiguration) {
  ConfigGuard guard;
  const OSVersionRecord seven = DefaultOSVersion();
  EXPECT_EQ(seven.major, 6u);
  EXPECT_EQ(seven.minor, 1u);
  EXPECT_EQ(seven.build, 7601u);
  EXPECT_EQ(seven.platform_id, 2u);
  EXPECT_STREQ(seven.service_pack_text, "Service Pack 1");
  EXPECT_EQ(seven.product_type, 1);

  PlatformConfig config = CurrentConfig();
  config.os_version.reset();
  config.processor_architecture = 0;
  config.server_r2 = 1;
  config.screen = {800, 600};
  config.desktop_folder = "c:\\Users\\me\\Desktop";
  ASSERT_TRUE(Configure(config));
  SetLastError(0);
  EXPECT_FALSE(QueryOSVersion());
  EXPECT_NE(LastError(), 0u);
  EXPECT_EQ(ProcessorArchitecture(), 0);
  EXPECT_EQ(ServerR2Metric(), 1);
  EXPECT_EQ(ScreenSize().width, 800);
  EXPECT_EQ(DesktopFolderFromRegistry(), "c:\\Users\\me\\Desktop");
  config.desktop_folder.reset();
  ASSERT_TRUE(Configure(config));
  EXPECT_FALSE(DesktopFolderFromRegistry());
}

TEST(Environment, ConfigureFromVariables) {
  ConfigGuard guard;
  setenv("TLX_DRIVES", "c=/tmp:fixed;e=:removable-no-medium;f=/tmp:fixed:77", 1);
  setenv("TLX_DESKTOP", "c:\\Desktop", 1);
  setenv("TLX_WINDOWS", "c:\\WIN", 1);
  std::string error;
  EXPECT_TRUE(ConfigureFromEnvironment(&error)) << error;
  EXPECT_EQ(LogicalDrives(), (1u << 2) | (1u << 4) | (1u << 5));
  EXPECT_EQ(FreeBytes("f:"), 77u);
  EXPECT_EQ(DesktopFolderFromRegistry(), "c:\\Desktop");
  EXPECT_EQ(WindowsFolder(), "c:\\WIN");

  setenv("TLX_DRIVES", "c=/tmp:fixed;x", 1);
  EXPECT_FALSE(ConfigureFromEnvironment(&error));
  EXPECT_NE(error.find("\"x\""), std::string::npos) << error;
  unsetenv("TLX_DRIVES");
  unsetenv("TLX_DESKTOP");
  unsetenv("TLX_WINDOWS");
}

TEST(Errors, EnglishWindowsTexts) {
  struct Case {
    uint32_t code;
    const char* text;
  };
  const Case cases[] = {
      {2, "The system cannot find the file specified."},
      {3, "The system cannot find the path specified."},
      {5, "Access is denied."},
      {32, "The process cannot access the file because it is being used by another process."},
      {80, "The file exists."},
      {112, "There is not enough space on the disk."},
      {183, "Cannot create a file when that file already exists."},
  };
  for (const Case& c : cases) EXPECT_EQ(SystemMessage(c.code), c.text);
  EXPECT_EQ(SystemMessage(999999), "");
}

TEST(Errors, NoSpaceIsDiskFull) {
  EXPECT_EQ(posix::WinError(ENOSPC), err::kDiskFull);
  EXPECT_EQ(posix::WinError(EDQUOT), err::kDiskFull);
}

// Where a file is expected, a FIFO, a device, a socket or a link to one is refused at once: nothing
// waits for a writer, nothing reads /dev/zero for ever, nothing is written into /dev/full.
TEST(SpecialFiles, RefusedAtOnceByEveryOpen) {
  test::TempDrive drive;
  ASSERT_EQ(mkfifo(drive.NativePath("fifo").c_str(), 0666), 0);
  std::filesystem::create_symlink("/dev/zero", drive.NativePath("zero"));
  std::filesystem::create_symlink("/dev/full", drive.NativePath("full"));
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socket_path = drive.NativePath("sock");
  ASSERT_LT(socket_path.size(), sizeof address.sun_path);
  std::copy(socket_path.begin(), socket_path.end(), address.sun_path);
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  test::WriteNativeFile(drive.NativePath("plain"), "x");

  for (const char* name : {"fifo", "zero", "full", "sock"}) {
    SCOPED_TRACE(name);
    const std::string path = drive.Path(name);
    EXPECT_EQ(KindOf(path), FileKind::kSpecial);
    for (Disposition disposition : {Disposition::OpenExisting, Disposition::OpenAlways, Disposition::CreateAlways}) {
      const Access access = disposition == Disposition::OpenExisting ? Access::Read : Access::Write;
      EXPECT_FALSE(File::Open(path, {access, kShareRead, disposition}).valid());
      EXPECT_EQ(LastError(), err::kCantAccessFile);
    }
    EXPECT_FALSE(Mapping::OpenReadOnly(path).valid());
    EXPECT_EQ(LastError(), err::kCantAccessFile);
    EXPECT_FALSE(Mapping::CreateReadWrite(path, 10).valid());
    EXPECT_FALSE(CopyFile(path, drive.Path("copy"), false));
    EXPECT_EQ(LastError(), err::kCantAccessFile);
    EXPECT_FALSE(CopyFile(drive.Path("plain"), path, false));
  }
  close(sock);
  EXPECT_EQ(KindOf(drive.Path("plain")), FileKind::kRegular);
  EXPECT_EQ(KindOf(drive.root()), FileKind::kFolder);
  EXPECT_EQ(KindOf(drive.Path("missing")), FileKind::kMissing);
  EXPECT_FALSE(test::NativeExists(drive.NativePath("copy")));
  EXPECT_EQ(SystemMessage(err::kCantAccessFile), "The file cannot be accessed by the system.");
}

}  // namespace
}  // namespace tlx::platform
