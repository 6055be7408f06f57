// The unattended installer end to end, in process: the sample payload built into a distribution on
// drive d:, installed by RunCommandLine into drive c: as setup.exe /VERYSILENT would, and checked file
// by file against the payload, with Cfg.tlx from the answer file, the desktop shortcut, the log and
// the exit code of each way a run can end.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "app/unattended.h"
#include "config/config_record.h"
#include "messages/recording_sink.h"
#include "package/sha256_sums.h"
#include "package/volume_checksum.h"
#include "package/volume_set.h"
#include "platform/config.h"
#include "platform/error.h"
#include "platform/fault_injection.h"
#include "platform/fs.h"
#include "package/install_marker.h"
#include "package/install_record.h"
#include "package/volume_set.h"
#include "package/uninstall_entry.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/sha256.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "support/files.h"
#include "support/temp_drive.h"
#include "tools/install_expectation.h"
#include "tools/install_scope.h"
#include "tools/mksample/sample_payload.h"
#include "tools/tlxpack/build.h"

namespace tlx::app {
namespace {

namespace fs = std::filesystem;
using test::ReadNativeFile;
using test::WriteNativeFile;

constexpr char kInstallDir[] = "c:\\tlx5_320";
constexpr char kDesktop[] = "c:\\Desktop";

uint32_t U32(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes.at(offset + i));
  return value;
}

// The installed Cfg.tlx with the fields that hold moments blanked: the moment of the settings step
// and the file times of the two installed user reference files.
std::string WithoutMoments(std::string cfg) {
  for (size_t i = 0; i < 8; ++i) {
    cfg.at(config::cfg::kSettingsMoment + i) = 0;
    cfg.at(config::cfg::kNsiFileTime + i) = 0;
  }
  return cfg;
}

// The lines of a log file.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

class UnattendedE2eTest : public ::testing::Test {
 public:
  UnattendedE2eTest() {
    test::BuildSampleDistribution(dist_drive_);
    fs::create_directories(target_.NativePath("Desktop"));
    platform::SetCurrentFolder(dist_drive_.Path("dist"));
  }

  int Run(std::vector<std::string> args) {
    out.clear();
    err.clear();
    return RunCommandLine(args, false, nullptr, [this](const std::string& t) { out += t; },
                          [this](const std::string& t) { err += t; });
  }

  std::string Payload() const { return dist_drive_.NativePath("payload"); }
  std::string Setup(const std::string& name) const { return dist_drive_.NativePath("dist/Setup/" + name); }
  std::string Installed(const std::string& relative) const { return target_.NativePath("tlx5_320/" + relative); }

  // The links on the desktop: file name -> link.
  std::map<std::string, std::optional<platform::ShellLink>> DesktopLinks() const {
    std::map<std::string, std::optional<platform::ShellLink>> links;
    for (const auto& entry : fs::directory_iterator(target_.NativePath("Desktop"))) {
      const std::string name = test::Utf8(entry.path().filename());
      if (platform::UpperUtf8(name).ends_with(".LNK")) links[name] = platform::ReadShellLink(kDesktop + ("\\" + name));
    }
    return links;
  }

  // Flips a byte in the middle of the first volume of `group`.
  void DamageGroup(int group) {
    struct Quiet : package::VolumeProgress {
      void ResetVolumeBars(int) override {}
      void ShowVolumeBars(const std::string&, int, int) override {}
    } quiet;
    package::VolumeRange range;
    {
      const package::VolumeSet volumes(quiet, dist_drive_.Path("dist"));
      range = volumes.Range(group);
    }
    platform::SetCurrentFolder(dist_drive_.Path("dist"));  // the volume set made Setup current
    ASSERT_FALSE(range.empty());
    const std::string volume = Setup(package::VolumeName(range.first));
    std::string bytes = ReadNativeFile(volume);
    bytes[bytes.size() / 2] ^= 0x01;
    WriteNativeFile(volume, bytes);
  }
  // The installed files without the uninstaller and its record, which must be there.
  std::map<std::string, std::string> SuiteFiles(const std::string& folder = "tlx5_320") const {
    std::map<std::string, std::string> installed = test::TreeFiles(target_.NativePath(folder));
    EXPECT_EQ(installed.erase("UNINSTALL.EXE"), 1u) << "no uninstaller";
    EXPECT_EQ(installed.erase("UNINSTALL.LST"), 1u) << "no installation record";
    return installed;
  }

  // The registry entry of the installation, nullopt when there is none.
  std::optional<platform::RegistryValues> Entry() const { return platform::ReadUserRegistryKey(package::kUninstallKey); }

  // Every installed file except Cfg.tlx (rewritten by the settings step) matches the payload's
  // installation for `variant`, and nothing else is there but the uninstaller and its record.
  void ExpectPayloadInstalled(int variant) const {
    std::map<std::string, std::string> expected = test::ExpectedInstall(Payload(), variant, test::SampleRules());
    std::map<std::string, std::string> installed = SuiteFiles();
    ASSERT_TRUE(expected.contains("CFG/CFG.TLX"));
    EXPECT_EQ(installed["CFG/CFG.TLX"].size(), config::kSettingsFileSize);
    expected.erase("CFG/CFG.TLX");
    installed.erase("CFG/CFG.TLX");
    for (const auto& [path, bytes] : expected) {
      auto it = installed.find(path);
      if (it == installed.end()) {
        ADD_FAILURE() << path << " not installed";
      } else {
        EXPECT_TRUE(it->second == bytes) << path << " differs from the payload";
      }
    }
    for (const auto& [path, bytes] : installed) EXPECT_TRUE(expected.contains(path)) << path << " installed too";
  }

  test::TempDrive target_{'c'};
  test::TempDrive dist_drive_{'d'};
  test::InstallSettingsScope settings_{kDesktop, target_.NativePath("registry.ini")};
  test::SinkScope scope_;
  std::string out, err;
};

TEST_F(UnattendedE2eTest, InstallsWithTheAnswerFileShortcutAndLog) {
  WriteNativeFile(target_.NativePath("a.ini"),
                  "[Settings]\nRILang=1\nRDLang=1\nYesScale=0\nSelNumFree=1\nCBNsi=0\nCbAuto=1\nAutoTime=01:30\n"
                  "CbHintForPos=1\nScale=4\n");
  ASSERT_EQ(Run({"/VERYSILENT", "/DIR=c:\\tlx5_320", "/LOADINF=c:\\a.ini", "/LOG=c:\\setup.log"}), 0) << err;
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, "");
  ExpectPayloadInstalled(1);

  // Cfg.tlx: the shipped file's first 1407 bytes with the answers, the variant and the fixed values.
  const std::string shipped = ReadNativeFile(Payload() + "/Cfg/Cfg.tlx");
  const std::string cfg = ReadNativeFile(Installed("Cfg/Cfg.tlx"));
  ASSERT_EQ(cfg.size(), config::kSettingsFileSize);
  const uint32_t untouched = U32(shipped, config::cfg::kOptionBits) & ~config::opt::kAllSettingsBits;
  EXPECT_EQ(U32(cfg, config::cfg::kOptionBits),
            untouched | config::opt::kAutoSave | config::opt::kFirstFreeNumber | config::opt::kPositionHints);
  EXPECT_EQ(cfg[config::cfg::kDocLanguage], config::kLangRussian);
  EXPECT_EQ(cfg[config::cfg::kInterfaceLanguage], config::kLangRussian);
  EXPECT_EQ(U32(cfg, config::cfg::kAutoSavePeriodMs), 90u * 60000u);
  double auto_time = 0;
  std::memcpy(&auto_time, cfg.data() + config::cfg::kAutoSaveTime, sizeof auto_time);
  EXPECT_DOUBLE_EQ(auto_time, 90.0 / 1440);
  EXPECT_EQ(cfg[config::cfg::kInstallKind], 1);
  EXPECT_NE(U32(cfg, config::cfg::kNsiWordSum), 0u);
  EXPECT_NE(U32(cfg, config::cfg::kNsiWordSum + 4), 0u);
  EXPECT_EQ(U32(cfg, config::cfg::kDefaultScale), 4u);
  EXPECT_EQ(U32(cfg, config::cfg::kFixed197), 31u);
  EXPECT_EQ(U32(cfg, config::cfg::kFixed250), 5u);
  // Everything else, the version text and the 32-byte tail among it, as shipped.
  const std::set<size_t> written_fields = {0,   22,  23,  24,  28,  50,  116, 117, 121, 125,
                                           129, 133, 137, 159, 197, 250};
  for (size_t offset = 0; offset < cfg.size(); ++offset) {
    auto field = written_fields.upper_bound(offset);
    const size_t start = *std::prev(field);
    const size_t width = start == 22 || start == 23 || start == 116 ? 1 : start == 28 || start == 50 ? 8 : 4;
    if (offset < start + width) continue;
    EXPECT_EQ(cfg[offset], shipped[offset]) << "byte " << offset;
  }

  // One desktop shortcut, to the installed tlx.exe.
  const auto links = DesktopLinks();
  ASSERT_EQ(links.size(), 1u);
  ASSERT_TRUE(links.begin()->second) << links.begin()->first << " is not a readable link";
  EXPECT_EQ(platform::UpperUtf8(links.begin()->second->target), "C:\\TLX5_320\\EXE\\TLX.EXE");
  EXPECT_EQ(platform::UpperUtf8(links.begin()->first), "ТЛК5_320.LNK");

  // The log: every line stamped; the steps in order, every volume, every file written with its size.
  const std::regex stamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d (step|volume|file|message|error): .+)");
  std::vector<std::string> steps;
  std::set<std::string> volumes;
  std::map<std::string, uint64_t> files;
  const std::regex file_line(R"(c:\\tlx5_320\\(.+) \((\d+) bytes\))");
  for (const std::string& line : Lines(ReadNativeFile(target_.NativePath("setup.log")))) {
    ASSERT_TRUE(std::regex_match(line, stamped)) << line;
    const std::string kind = line.substr(20, line.find(':', 20) - 20);
    const std::string text = line.substr(line.find(": ", 20) + 2);
    std::smatch match;
    if (kind == "step") {
      steps.push_back(text.substr(0, text.find_first_of(" ;")));
    } else if (kind == "volume") {
      volumes.insert(text.substr(text.find_last_of('\\') + 1));
    } else if (kind == "file" && std::regex_match(text, match, file_line)) {
      std::string key = match[1];
      std::replace(key.begin(), key.end(), '\\', '/');
      files[platform::UpperUtf8(key)] = std::stoull(match[2]);
    } else {
      ADD_FAILURE() << "unexpected line " << line;
    }
  }
  EXPECT_EQ(steps, (std::vector<std::string>{"unattended", "start", "variant", "folder", "emptying", "installing",
                                             "installing", "settings", "desktop", "registering", "finished",
                                             "installed"}));
  for (const auto& entry : fs::directory_iterator(dist_drive_.NativePath("dist/Setup"))) {
    const std::string name = test::Utf8(entry.path().filename());
    if (name.starts_with(package::kVolumePrefix)) {
      EXPECT_TRUE(volumes.contains(name)) << name << " not logged";
    }
  }
  const std::map<std::string, std::string> installed = SuiteFiles();
  for (const auto& [path, bytes] : installed) {
    if (path == "CFG/CFG.TLX") continue;  // logged as extracted, rewritten afterwards
    auto it = files.find(path);
    if (it == files.end()) {
      ADD_FAILURE() << path << " not logged";
    } else {
      EXPECT_EQ(it->second, bytes.size()) << path;
    }
  }
  EXPECT_EQ(files.size(), installed.size());
}

TEST_F(UnattendedE2eTest, SavedAnswersReplayTheSameConfiguration) {
  WriteNativeFile(target_.NativePath("a.ini"),
                  "[Setup]\nVariant=0\nShortcut=Сметы\n[Settings]\nRILang=1\nCbAuto=0\nCBStk=1\nCbHeaderKp=1\n"
                  "Scale=0\n");
  ASSERT_EQ(Run({"/VERYSILENT", "/DIR=c:\\first", "/LOADINF=c:\\a.ini", "/SAVEINF=c:\\b.ini"}), 0) << err;
  ASSERT_EQ(Run({"/VERYSILENT", "/DIR=c:\\second", "/LOADINF=c:\\b.ini"}), 0) << err;
  const std::string first = ReadNativeFile(target_.NativePath("first/Cfg/Cfg.tlx"));
  const std::string second = ReadNativeFile(target_.NativePath("second/Cfg/Cfg.tlx"));
  ASSERT_EQ(first.size(), config::kSettingsFileSize);
  EXPECT_EQ(first[config::cfg::kInstallKind], 0);
  EXPECT_EQ(U32(first, config::cfg::kOptionBits) & config::opt::kAllSettingsBits,
            config::opt::kScaling | config::opt::kDbnToDstu | config::opt::kHeadersKp);
  EXPECT_TRUE(WithoutMoments(first) == WithoutMoments(second));
  // The replayed run took the saved shortcut name too; the second link gets a free name.
  std::set<std::string> names;
  for (const auto& [name, link] : DesktopLinks()) names.insert(platform::UpperUtf8(name));
  EXPECT_EQ(names, (std::set<std::string>{"СМЕТЫ.LNK", "СМЕТЫ(1).LNK"}));
}

TEST_F(UnattendedE2eTest, RegistersTheSuiteAndItsUninstallerRemovesItButNotTheUsersFiles) {
  ASSERT_EQ(Run({"/VERYSILENT", "/DIR=c:\\tlx5_320"}), 0) << err;
  const std::map<std::string, std::string> installed = SuiteFiles();
  uint64_t size = 0;
  for (const auto& [path, bytes] : test::TreeFiles(target_.NativePath("tlx5_320"))) size += bytes.size();

  const std::optional<platform::RegistryValues> entry = Entry();
  ASSERT_TRUE(entry);
  const auto text = [&](const char* name) {
    const platform::RegistryValue* value = platform::FindRegistryValue(*entry, name);
    EXPECT_TRUE(value && !value->is_number) << name;
    return value ? value->text : std::string();
  };
  const auto number = [&](const char* name) {
    const platform::RegistryValue* value = platform::FindRegistryValue(*entry, name);
    EXPECT_TRUE(value && value->is_number) << name;
    return value ? value->number : 0u;
  };
  EXPECT_EQ(text("DisplayName"), "ТЛК 5 (редакция 3.2.0)");
  EXPECT_EQ(text("DisplayVersion"), "3.2.0");
  EXPECT_EQ(text("Publisher"), "Научно-производственная фирма «ТЛК-Софт»");
  EXPECT_EQ(text("InstallLocation"), "c:\\tlx5_320");
  EXPECT_EQ(text("DisplayIcon"), "c:\\tlx5_320\\Exe\\tlx.exe");
  EXPECT_EQ(number("EstimatedSize"), (size + 1023) / 1024);
  EXPECT_EQ(text("UninstallString"), "\"c:\\tlx5_320\\Uninstall.exe\" /UNINSTALL");
  EXPECT_EQ(text("QuietUninstallString"), "\"c:\\tlx5_320\\Uninstall.exe\" /UNINSTALL /VERYSILENT");
  EXPECT_EQ(number("NoModify"), 1u);
  EXPECT_EQ(number("NoRepair"), 1u);
  EXPECT_TRUE(std::regex_match(text("InstallDate"), std::regex(R"(20\d{6})"))) << text("InstallDate");
  EXPECT_EQ(entry->size(), 11u);
  // The uninstaller is this program, and its record lists every file installed.
  EXPECT_TRUE(ReadNativeFile(Installed("Uninstall.exe")) == ReadNativeFile(platform::ProgramPath()));
  std::set<std::string> listed;
  for (const std::string& file : package::ReadInstallRecord("c:\\tlx5_320").files) {
    std::string key = platform::UpperUtf8(file);
    std::replace(key.begin(), key.end(), '\\', '/');
    listed.insert(key);
  }
  std::set<std::string> files;
  for (const auto& [path, bytes] : installed) files.insert(path);
  EXPECT_EQ(listed, files);

  // The user's estimate in a working folder; the uninstaller runs with its quiet command line.
  WriteNativeFile(Installed("Rus/Rab/смета.est"), "the user's estimate");
  ASSERT_EQ(Run({"/UNINSTALL", "/VERYSILENT", "/LOG=c:\\uninstall.log"}), 0) << err;
  std::set<std::string> left;
  for (const auto& [path, bytes] : test::TreeFiles(target_.NativePath("tlx5_320"))) left.insert(path);
  EXPECT_EQ(left, (std::set<std::string>{"RUS/RAB/СМЕТА.EST"}));
  std::set<std::string> folders;  // only the ones that hold the estimate stay
  for (const auto& e : fs::recursive_directory_iterator(target_.NativePath("tlx5_320"))) {
    if (e.is_directory()) folders.insert(test::Utf8(fs::relative(e.path(), target_.NativePath("tlx5_320"))));
  }
  EXPECT_EQ(folders, (std::set<std::string>{"Rus", "Rus/Rab"}));
  EXPECT_TRUE(DesktopLinks().empty());
  EXPECT_FALSE(Entry());
  const std::string log = ReadNativeFile(target_.NativePath("uninstall.log"));
  EXPECT_NE(log.find("step: left folder c:\\tlx5_320\\Rus\\Rab: it holds files made after installing"), std::string::npos)
      << log;
  EXPECT_NE(log.find("message: Программный комплекс ТЛК5 3.2.0 удалён. Папка c:\\tlx5_320 оставлена"), std::string::npos)
      << log;

  // Nothing registered any more: nothing to remove.
  EXPECT_EQ(Run({"/UNINSTALL", "/VERYSILENT"}), 1);
  EXPECT_NE(err.find("нет установленного программного комплекса"), std::string::npos) << err;
}

// Everything on drive c: (the target, its desktop and the registry file): folders, files with their
// bytes, links with their targets.
std::map<std::string, std::string> DriveState(const std::string& root) {
  std::map<std::string, std::string> state;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    const std::string name = test::Utf8(it->path().lexically_relative(root));
    if (it->is_symlink()) {
      state[name] = "link to " + fs::read_symlink(it->path()).string();
      it.disable_recursion_pending();
    } else if (it->is_directory()) {
      state[name] = "folder";
    } else {
      state[name] = ReadNativeFile(it->path().string());
    }
  }
  return state;
}

// A write failing at each point of the installation: in volume group 0, 1 and 2, in the settings
// step and right after the desktop shortcut is placed (the shortcut step itself never fails an
// installation: a link that cannot be written is no link), then at points spread over the whole run.
// Each failed run ends with 4 and leaves drive c: exactly as it was; a run that absorbs the
// failure installs completely.
TEST_F(UnattendedE2eTest, AFailingWriteAtEachPointLeavesTheDriveAsItWas) {
  WriteNativeFile(target_.NativePath("outside/sentinel.txt"), "keep");
  const std::map<std::string, std::string> before = DriveState(target_.native());
  const std::vector<std::string> args = {"/SILENT", "/DIR=c:\\tlx5_320"};
  platform::FaultPlan plan;
  plan.ops = platform::FaultBit(platform::FaultOp::kCreate) | platform::FaultBit(platform::FaultOp::kWrite);
  plan.error = platform::err::kDiskFull;

  // A run that fails nothing notes how many writes came before each point.
  std::map<std::string, uint64_t> points;
  uint64_t total = 0;
  {
    platform::ScopedFaults counting(plan);
    const auto note = [&](const std::string& point, const std::string& line, const std::string& text) {
      if (!points.contains(point) && line.find(text) != std::string::npos) points[point] = platform::FaultOpsCounted() + 1;
    };
    ASSERT_EQ(RunCommandLine(args, false, nullptr,
                             [&](const std::string& line) {
                               note("group 0", line, " file: c:\\tlx5_320\\Exe\\");
                               note("group 1", line, " file: c:\\tlx5_320\\Ukr\\");
                               note("group 2", line, " file: c:\\tlx5_320\\Rus\\");
                               note("settings", line, " step: settings");
                               note("shortcut", line, " step: desktop shortcut c:\\Desktop\\");
                             },
                             [](const std::string&) {}),
              0);
    total = platform::FaultOpsCounted();
  }
  ASSERT_EQ(points.size(), 5u);
  std::vector<std::pair<std::string, uint64_t>> runs(points.begin(), points.end());
  for (uint64_t i = 1; i < 12; ++i) runs.emplace_back("write " + std::to_string(total * i / 12), total * i / 12);
  // The desktop link's own creation and write: no link, and the installation goes on.
  runs.emplace_back("link created", points["shortcut"] - 2);
  runs.emplace_back("link written", points["shortcut"] - 1);

  for (const auto& [point, nth] : runs) {
    SCOPED_TRACE(point + " (write " + std::to_string(nth) + " of " + std::to_string(total) + ")");
    // The previous run's installation goes first, as does its current folder.
    fs::remove_all(target_.NativePath("tlx5_320"));
    for (const auto& [name, link] : DesktopLinks()) fs::remove(target_.NativePath("Desktop/" + name));
    platform::DeleteUserRegistryKey(package::kUninstallKey);
    platform::SetCurrentFolder(dist_drive_.Path("dist"));
    ASSERT_EQ(DriveState(target_.native()).size(), before.size() + (fs::exists(target_.NativePath("registry.ini")) ? 1 : 0));
    fs::remove(target_.NativePath("registry.ini"));

    plan.nth = nth;
    int code = 0;
    {
      platform::ScopedFaults failing(plan);
      code = Run(args);
      EXPECT_EQ(platform::FaultsInjected(), 1u);
    }
    if (code == 4) {
      EXPECT_EQ(DriveState(target_.native()), before);
      // The disk's error, or the one of a file that a folder not made (a failure passed over) keeps out.
      EXPECT_NE(err.find("c:\\tlx5_320\\"), std::string::npos) << err;
    } else {
      EXPECT_EQ(code, 0) << err;
      EXPECT_TRUE(points.find(point) == points.end()) << "a failure at " << point << " ended with " << code;
      ExpectPayloadInstalled(1);
      if (point.starts_with("link")) {
        EXPECT_TRUE(fs::is_empty(target_.NativePath("Desktop")));
      }
    }
  }
}

// Every file-system operation of an installation failing in turn: each create, write, flush, rename,
// delete and mapping, on both drives, with the errors a disk, another program or a vanished folder
// gives. Each run either ends with 4, names a file and leaves drive c: exactly as it was (Cfg.tlx
// absent, no transient file), or absorbs the failure and installs completely, Cfg.tlx whole.
TEST_F(UnattendedE2eTest, EveryOperationFailingInTurnEndsCleanly) {
  WriteNativeFile(target_.NativePath("outside/sentinel.txt"), "keep");
  const std::map<std::string, std::string> before = DriveState(target_.native());
  const std::vector<std::string> args = {"/SILENT", "/DIR=c:\\tlx5_320"};
  const uint32_t errors[] = {platform::err::kDiskFull, platform::err::kAccessDenied, platform::err::kSharingViolation,
                             platform::err::kPathNotFound};
  const struct {
    const char* name;
    uint32_t ops;
    bool sticky;  // every counted operation from the Nth on fails: a disk that stays full
  } tables[] = {
      {"one operation fails", platform::kAllFaultOps, false},
      {"the disk stays full",
       platform::FaultBit(platform::FaultOp::kCreate) | platform::FaultBit(platform::FaultOp::kWrite) |
           platform::FaultBit(platform::FaultOp::kFlush),
       true},
  };
  for (const auto& table : tables) {
    platform::FaultPlan plan;
    plan.ops = table.ops;
    plan.sticky = table.sticky;
    // The previous run's installation goes first, as does its current folder.
    const auto start_again = [&] {
      fs::remove_all(target_.NativePath("tlx5_320"));
      for (const auto& [name, link] : DesktopLinks()) fs::remove(target_.NativePath("Desktop/" + name));
      platform::DeleteUserRegistryKey(package::kUninstallKey);
      fs::remove(target_.NativePath("registry.ini"));
      platform::SetCurrentFolder(dist_drive_.Path("dist"));
    };
    uint64_t total = 0;
    {
      start_again();
      platform::ScopedFaults counting(plan);
      ASSERT_EQ(Run(args), 0) << err;
      total = platform::FaultOpsCounted();
    }
    ASSERT_GT(total, 20u);
    std::map<int, int> ends;
    for (uint64_t nth = 1; nth <= total; ++nth) {
      start_again();
      if (DriveState(target_.native()) != before) {
        ADD_FAILURE() << "the drive could not be brought back before operation " << nth;
        break;
      }
      plan.nth = nth;
      plan.error = table.sticky ? platform::err::kDiskFull : errors[nth % std::size(errors)];
      int code = 0;
      {
        platform::ScopedFaults failing(plan);
        code = Run(args);
      }
      SCOPED_TRACE(std::string(table.name) + ": operation " + std::to_string(nth) + " of " + std::to_string(total) +
                   " failing with " + std::to_string(plan.error) + ": exit " + std::to_string(code));
      ++ends[code];
      if (code == 4) {
        // The registry file may stay, without the entry: the user's registry, not the installation's.
        std::map<std::string, std::string> after = DriveState(target_.native());
        after.erase("registry.ini");
        EXPECT_EQ(after, before);
        EXPECT_FALSE(Entry());
        // A file, or the registry key the uninstaller's entry was going to (a file natively).
        EXPECT_TRUE(std::regex_search(err, std::regex(R"([cd]:\\|HKEY_CURRENT_USER\\)"))) << err;
      } else if (code == 0) {
        for (const auto& [name, what] : DriveState(target_.native())) {
          const std::string upper = platform::UpperUtf8(name);
          EXPECT_TRUE(upper.find("INSBF") == std::string::npos && upper.find("TMP_PCK") == std::string::npos &&
                      upper.find(".UNFINISHED") == std::string::npos)
              << name << " left behind";
        }
        ExpectPayloadInstalled(1);
      } else {
        ADD_FAILURE() << err;
      }
      if (HasFailure()) return;  // one failing point at a time: the first says the most
    }
    std::string summary;
    for (const auto& [code, count] : ends) summary += " exit " + std::to_string(code) + ": " + std::to_string(count);
    std::printf("%s, %llu operations:%s\n", table.name, static_cast<unsigned long long>(total), summary.c_str());
  }
}

// A link in the installation folder that points outside it, put there while the installation runs:
// undoing the failed installation leaves the link and what it points to untouched and names it.
TEST_F(UnattendedE2eTest, UndoingNeverGoesThroughALinkInTheFolder) {
  WriteNativeFile(target_.NativePath("outside/sentinel.txt"), "keep");
  DamageGroup(2);
  bool linked = false;
  const int code = RunCommandLine({"/SILENT", "/DIR=c:\\tlx5_320"}, false, nullptr,
                                  [&](const std::string& line) {
                                    if (!linked && line.find(" file: c:\\tlx5_320\\") != std::string::npos) {
                                      fs::create_directory_symlink(target_.NativePath("outside"),
                                                                   target_.NativePath("tlx5_320/Doc/elsewhere"));
                                      linked = true;
                                    }
                                  },
                                  [this](const std::string& t) { err += t; });
  EXPECT_EQ(code, 4);
  ASSERT_TRUE(linked);
  EXPECT_EQ(ReadNativeFile(target_.NativePath("outside/sentinel.txt")), "keep");
  EXPECT_TRUE(fs::is_symlink(target_.NativePath("tlx5_320/Doc/elsewhere")));
  const std::map<std::string, std::string> left = DriveState(target_.NativePath("tlx5_320"));
  EXPECT_EQ(left, (std::map<std::string, std::string>{{"Doc", "folder"},
                                                      {"Doc/elsewhere", "link to " + target_.NativePath("outside")}}));
  EXPECT_NE(err.find("c:\\tlx5_320\\Doc\\elsewhere - ссылка"), std::string::npos) << err;
}

// tlxsetup in a process of its own, started in `folder` with `args`, the registry and the desktop on
// drive c:; stderr goes to `err_file`. Returns the exit code, or -1 when it had to be killed after 60 s.
// `in_child` (optional) runs in the new process just before tlxsetup replaces it.
int RunTlxsetup(const std::string& folder, const std::vector<std::string>& args, const std::string& registry,
                const std::string& err_file, pid_t* started = nullptr, const std::function<void()>& in_child = {}) {
  const pid_t pid = fork();
  if (pid < 0) return -2;
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(126);
    if (in_child) in_child();
    const int fd = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) dup2(fd, 2);
    std::vector<const char*> argv{TLXSETUP_EXE};
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    const std::string registry_env = "TLX_REGISTRY=" + registry;
    const char* envp[] = {registry_env.c_str(), "TLX_DESKTOP=c:\\Desktop", nullptr};
    execve(TLXSETUP_EXE, const_cast<char* const*>(argv.data()), const_cast<char* const*>(envp));
    _exit(127);
  }
  if (started) {
    *started = pid;
    return 0;
  }
  int status = 0;
  for (int waited = 0; waited < 6000; ++waited) {
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    usleep(10000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

// The command line's places checked before anything is written, and relative ones taken from the
// folder tlxsetup was started in (the distribution's), however the installation moves the current folder.
TEST_F(UnattendedE2eTest, CommandLinePlacesAreCheckedFirstAndTakenFromTheStartFolder) {
  const std::string dist = dist_drive_.NativePath("dist");
  const std::string drive = "c=" + target_.native();
  const std::string registry = target_.NativePath("registry.ini");
  const std::string err_file = dist_drive_.NativePath("err.txt");
  fs::create_directories(target_.NativePath("a folder"));
  ASSERT_EQ(mkfifo(target_.NativePath("answers.fifo").c_str(), 0644), 0);
  const struct {
    const char* name;
    std::vector<std::string> args;
    const char* says;
  } refused[] = {
      {"answers saved to a folder", {"/SAVEINF=c:\\a folder"}, "c:\\a folder: this is a folder"},
      {"answers saved in a missing folder", {"/SAVEINF=c:\\none\\b.ini"}, "the folder c:\\none does not exist"},
      {"answers saved to a device", {"/SAVEINF=e:\\full"}, "e:\\full: not a plain file"},
      {"the log a folder", {"/LOG=c:\\a folder"}, "c:\\a folder"},
      {"the log in a missing folder", {"/LOG=c:\\none\\setup.log"}, "c:\\none\\setup.log"},
      {"the log a device that takes nothing", {"/LOG=e:\\full"}, "e:\\full"},
      {"answers read from a FIFO", {"/LOADINF=c:\\answers.fifo"}, "c:\\answers.fifo"},
      {"answers read from a device that never ends", {"/LOADINF=e:\\zero"}, "e:\\zero"},
  };
  for (const auto& c : refused) {
    // Drive e: is the system's device folder, reached without a link.
    std::vector<std::string> args = {"--drive", drive, "--drive", "e=/dev", "/VERYSILENT", "/DIR=c:\\tlx5_320"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(RunTlxsetup(dist, args, registry, err_file), 1) << c.name;
    EXPECT_NE(ReadNativeFile(err_file).find(c.says), std::string::npos) << c.name << ": " << ReadNativeFile(err_file);
    EXPECT_FALSE(fs::exists(Installed(""))) << c.name << ": installed all the same";
  }

  // A relative drive folder, log and answer file.
  const std::string relative_target = fs::relative(target_.native(), dist).string();
  EXPECT_EQ(RunTlxsetup(dist, {"--drive", "c=" + relative_target, "/VERYSILENT", "/DIR=c:\\tlx5_320", "/LOG=run.log",
                               "/SAVEINF=run.ini"},
                        registry, err_file),
            0)
      << ReadNativeFile(err_file);
  ExpectPayloadInstalled(1);
  EXPECT_NE(ReadNativeFile(dist + "/run.log").find("installed into c:\\tlx5_320"), std::string::npos);
  EXPECT_NE(ReadNativeFile(dist + "/run.ini").find("tlx5_320"), std::string::npos);
}

// A log that takes its first lines and then no more (the file size limit is reached; the sparse log
// already stands just below it, so the installed files still fit): the installation completes, and
// the exit code and standard error say that its log is incomplete.
TEST_F(UnattendedE2eTest, ALogThatFailsLaterIsReportedInTheExitCode) {
  const std::string log = target_.NativePath("setup.log");
  constexpr off_t kLogStart = 64 << 20;
  WriteNativeFile(log, "");
  ASSERT_EQ(truncate(log.c_str(), kLogStart), 0);
  const std::string err_file = dist_drive_.NativePath("err.txt");
  const int code = RunTlxsetup(dist_drive_.NativePath("dist"),
                               {"--drive", "c=" + target_.native(), "/VERYSILENT", "/DIR=c:\\tlx5_320", "/LOG=c:\\setup.log"},
                               target_.NativePath("registry.ini"), err_file, nullptr, [] {
                                 signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
                                 const rlimit limit{kLogStart + 200, kLogStart + 200};
                                 setrlimit(RLIMIT_FSIZE, &limit);
                               });
  EXPECT_EQ(code, static_cast<int>(ESetupExit::ese_LogIncomplete)) << ReadNativeFile(err_file);
  const std::string err = ReadNativeFile(err_file);
  EXPECT_NE(err.find("the log could not be written in full: c:\\setup.log"), std::string::npos) << err;
  ExpectPayloadInstalled(1);
  EXPECT_GT(fs::file_size(log), static_cast<uintmax_t>(kLogStart));  // the first lines went in
}

// `tlxpack install DIST FOLDER` with both relative: taken from the folder it was started in.
TEST_F(UnattendedE2eTest, TlxpackInstallTakesRelativeFoldersFromWhereItStarted) {
  const std::string command = "cd '" + dist_drive_.native() + "' && '" TLXPACK_EXE "' install dist installed >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_TRUE(fs::exists(dist_drive_.NativePath("installed/Exe")));
  EXPECT_FALSE(fs::exists(dist_drive_.NativePath("dist/Setup/installed")));
}

// A real full disk: a 256 KiB tmpfs (mounting needs root, as CI has; skipped otherwise) that claims a
// gigabyte free, so that the folder step lets the installation start and the disk fills under it.
// tlxsetup and tlxpack install end with 4 and the disk's message, and nothing is left on it.
TEST_F(UnattendedE2eTest, ARealFullDiskEndsWithFourAndLeavesNothing) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
  const std::string mount_point = dist_drive_.NativePath("small");
  fs::create_directories(mount_point);
  if (std::system(("mount -t tmpfs -o size=256k tmpfs '" + mount_point + "'").c_str()) != 0) {
    GTEST_SKIP() << "this machine cannot mount a tmpfs";
  }
  struct Unmount {
    std::string point;
    ~Unmount() { std::system(("umount '" + point + "'").c_str()); }
  } unmount{mount_point};
  fs::create_directories(mount_point + "/Desktop");
  const std::string err_file = dist_drive_.NativePath("err.txt");
  const std::string full = platform::SystemMessage(platform::err::kDiskFull);
  EXPECT_EQ(RunTlxsetup(dist_drive_.NativePath("dist"),
                        {"--drive", "c=" + mount_point + ":fixed:1000000000", "/VERYSILENT", "/DIR=c:\\tlx5_320"},
                        target_.NativePath("registry.ini"), err_file),
            4);
  EXPECT_NE(ReadNativeFile(err_file).find(full), std::string::npos) << ReadNativeFile(err_file);
  EXPECT_EQ(DriveState(mount_point), (std::map<std::string, std::string>{{"Desktop", "folder"}}));

  const std::string command = "'" TLXPACK_EXE "' install '" + dist_drive_.NativePath("dist") + "' '" + mount_point +
                              "/tlx' 2>'" + err_file + "'";
  const int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 4) << status;
  EXPECT_NE(ReadNativeFile(err_file).find(full), std::string::npos) << ReadNativeFile(err_file);
}

// A second tlxsetup on the same drive map while another holds the map's lock: it ends with 1 and says
// why (0 would say "installed") and writes nothing; once the lock is free it installs.
TEST_F(UnattendedE2eTest, ASecondRunOnTheSameDrivesEndsWithOne) {
  const std::string dist = dist_drive_.NativePath("dist");
  const std::vector<std::string> args = {"--drive", "c=" + target_.native(), "--drive", "d=" + dist_drive_.native(),
                                         "/VERYSILENT", "/DIR=c:\\tlx5_320"};
  const std::string registry = target_.NativePath("registry.ini");
  const std::string err_file = dist_drive_.NativePath("err.txt");
  {
    const platform::NamedMutex held = platform::NamedMutex::Create(NativeMutexName());
    ASSERT_TRUE(held.valid());
    EXPECT_EQ(RunTlxsetup(dist, args, registry, err_file), 1);
    EXPECT_NE(ReadNativeFile(err_file).find(kSecondCopyText), std::string::npos) << ReadNativeFile(err_file);
    EXPECT_FALSE(fs::exists(Installed("")));
  }
  EXPECT_EQ(RunTlxsetup(dist, args, registry, err_file), 0) << ReadNativeFile(err_file);
  ExpectPayloadInstalled(1);
}

// tlxsetup in a process of its own, killed with SIGKILL once the log shows a file written: the
// marker stays, and the next run takes the folder over and leaves exactly a clean installation.
TEST_F(UnattendedE2eTest, AKilledRunLeavesTheMarkerAndTheNextRunInstallsCleanly) {
  const std::string log = target_.NativePath("killed.log");
  bool killed = false;
  for (int attempt = 0; attempt < 5 && !killed; ++attempt) {
    fs::remove_all(target_.NativePath("tlx5_320"));
    fs::remove(log);
    const std::string drive = "c=" + target_.native();
    const std::string registry = "TLX_REGISTRY=" + target_.NativePath("registry.ini");
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (chdir(dist_drive_.NativePath("dist").c_str()) != 0) _exit(126);
      const char* argv[] = {TLXSETUP_EXE, "--drive", drive.c_str(), "/VERYSILENT", "/DIR=c:\\tlx5_320",
                            "/LOG=c:\\killed.log", nullptr};
      const char* envp[] = {registry.c_str(), "TLX_DESKTOP=c:\\Desktop", nullptr};
      execve(TLXSETUP_EXE, const_cast<char* const*>(argv), const_cast<char* const*>(envp));
      _exit(127);
    }
    int status = 0;
    for (int waited = 0; waited < 600000; ++waited) {
      if (ReadNativeFile(log).find(" file: ") != std::string::npos) {
        killed = kill(pid, SIGKILL) == 0;
        break;
      }
      if (waitpid(pid, &status, WNOHANG) == pid) break;  // ended on its own: try again
      usleep(50);
    }
    if (killed) {
      waitpid(pid, &status, 0);
      killed = WIFSIGNALED(status);
    }
  }
  ASSERT_TRUE(killed) << "the installation always ended before it could be killed";
  EXPECT_TRUE(package::HoldsInstallMarker("c:\\tlx5_320"));
  EXPECT_FALSE(Entry());

  ASSERT_EQ(Run({"/VERYSILENT", "/DIR=c:\\tlx5_320", "/LOG=c:\\setup.log"}), 0) << err;
  ExpectPayloadInstalled(1);
  EXPECT_FALSE(fs::exists(Installed(package::kInstallMarkerName)));
  EXPECT_EQ(DesktopLinks().size(), 1u);
  EXPECT_NE(ReadNativeFile(target_.NativePath("setup.log")).find("holds only an unfinished installation"),
            std::string::npos);
}

// A way a run ends: what is done to the distribution or the target first, the switches, the exit
// code, whether the payload is installed (for which variant) with a desktop link, and what else
// must hold afterwards.
class UnattendedEndTest;
// Folders and shortcut names from the command line that Windows cannot hold, would change, or that
// lead elsewhere: each run ends with 2 before anything is made, and no link appears anywhere.
TEST_F(UnattendedE2eTest, HostileFolderAndShortcutNamesAreRefusedBeforeAnythingIsMade) {
  WriteNativeFile(target_.NativePath("file"), "a file, not a folder");
  const std::string kBadFolder = "Неверно задана основная директория программного комплекса";
  const std::string kBadName = "Неверно задано наименование ярлыка на рабочем столе: ";
  struct Case {
    std::vector<std::string> switches;
    std::string message;
  };
  const Case cases[] = {
      {{"/DIR=c:\\tlx   "}, kBadFolder},         {{"/DIR=c:\\tlx."}, kBadFolder},
      {{"/DIR=c:\\tlx:x"}, kBadFolder},          {{"/DIR=c:\\a*b"}, kBadFolder},
      {{"/DIR=c:\\a?b"}, kBadFolder},            {{"/DIR=c:\\CON"}, kBadFolder},
      {{"/DIR=c:\\x\\NUL.txt"}, kBadFolder},     {{"/DIR=c:\\a\x01z"}, kBadFolder},
      {{"/DIR=c:\\file"}, kBadFolder},           {{"/DIR=c:\\file\\sub"}, kBadFolder},
      {{"/DIR=c:\\tlx\\"}, kBadFolder},          {{"/DIR=c:\\x\\..\\..\\y"}, kBadFolder},
      {{"/DIR=c:\\tlx", "/SHORTCUT=..\\..\\evil"}, kBadName},
      {{"/DIR=c:\\tlx", "/SHORTCUT=sub\\x"}, kBadName},
      {{"/DIR=c:\\tlx", "/SHORTCUT=a<b>:c"}, kBadName},
      {{"/DIR=c:\\tlx", "/SHORTCUT=CON"}, kBadName},
      {{"/DIR=c:\\tlx", "/SHORTCUT=" + std::string(300, 'n')}, kBadName},
      {{"/DIR=c:\\tlx", "/SHORTCUT=\xFF\xFE"}, kBadName},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.switches.back());
    std::vector<std::string> args = {"/VERYSILENT"};
    args.insert(args.end(), c.switches.begin(), c.switches.end());
    EXPECT_EQ(Run(args), 2) << err;
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    std::vector<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(target_.native())) {
      left.push_back(test::Utf8(fs::relative(entry.path(), target_.native())));
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"Desktop", "file"}));
    for (const auto& entry : fs::recursive_directory_iterator(dist_drive_.native())) {
      EXPECT_FALSE(platform::UpperUtf8(test::Utf8(entry.path().filename())).ends_with(".LNK")) << entry.path();
    }
  }
}

struct EndCase {
  const char* label;
  std::function<void(UnattendedEndTest&)> prepare;
  std::vector<std::string> switches;
  int code;
  bool installed;
  bool link;
  int variant;
  std::function<void(UnattendedEndTest&)> check;
};
void PrintTo(const EndCase& c, std::ostream* os) { *os << c.label; }

class UnattendedEndTest : public UnattendedE2eTest, public ::testing::WithParamInterface<EndCase> {
 public:
  // Flips a byte in the middle of the second volume.
  void DamageVolume() {
    std::string bytes = ReadNativeFile(Setup("TlxStp5_320.002"));
    ASSERT_FALSE(bytes.empty());
    bytes[bytes.size() / 2] ^= 0x01;
    WriteNativeFile(Setup("TlxStp5_320.002"), bytes);
  }
  // A file of the distribution replaced by a FIFO (no writer ever comes) or a link to /dev/zero (it
  // never ends).
  void ReplaceBySpecialFile(const std::string& relative, bool fifo) {
    const std::string path = dist_drive_.NativePath("dist/" + relative);
    fs::remove(path);
    if (fifo) {
      ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
    } else {
      fs::create_symlink("/dev/zero", path);
    }
  }
  // A volume whose LZMA stream is cut in half, with its kssum record and SHA256SUMS made to match: it
  // passes every checksum and fails to unpack.
  void CutVolumeBehindAGoodChecksum(int number) {
    const std::string volume = Setup(package::VolumeName(number));
    std::string bytes = ReadNativeFile(volume);
    ASSERT_GT(bytes.size(), 100u);
    bytes.resize(14 + (bytes.size() - 14) / 2);  // the 14-byte header stays whole
    WriteNativeFile(volume, bytes);
    uint32_t lo = 0, hi = 0;
    package::VolumeChecksum(bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()), &lo, &hi);
    // The records follow the three ranges in processing order: group 0's numbers, then 1's, then 2's.
    std::string table = ReadNativeFile(Setup("kssum"));
    size_t record = 0;
    bool found = false;
    for (int group = 0; group < 3 && !found; ++group) {
      const auto first = static_cast<int32_t>(U32(table, 8 * group)), last = static_cast<int32_t>(U32(table, 8 * group + 4));
      for (int32_t n = first; n <= last && !found; ++n, ++record) found = n == number;
    }
    ASSERT_TRUE(found);
    --record;
    for (int i = 0; i < 4; ++i) {
      table.at(24 + 8 * record + i) = static_cast<char>(lo >> (8 * i));
      table.at(28 + 8 * record + i) = static_cast<char>(hi >> (8 * i));
    }
    WriteNativeFile(Setup("kssum"), table);
    // SHA256SUMS lists every volume in number order, then kssum.
    std::vector<package::Sha256Entry> sums;
    std::set<std::string> volumes;
    for (const auto& entry : fs::directory_iterator(dist_drive_.NativePath("dist/Setup"))) {
      const std::string name = entry.path().filename().string();
      if (name.starts_with("TlxStp5_320.")) volumes.insert(name);
    }
    for (const std::string& name : volumes) sums.push_back({name, {}});
    sums.push_back({"kssum", {}});
    for (package::Sha256Entry& sum : sums) {
      const std::string bytes = ReadNativeFile(Setup(sum.name));
      sum.digest = *platform::Sha256Of({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    }
    WriteNativeFile(Setup("SHA256SUMS"), package::FormatSha256Sums(sums));
  }
  void MakeInstallDir() { WriteNativeFile(Installed("keep.txt"), "mine"); }
  // What an installation killed on the way leaves: the marker and some of the files.
  void MakeUnfinishedInstallDir() {
    WriteNativeFile(Installed(package::kInstallMarkerName), "TlxSetup5_320\r\nVersion=3.2.0\r\n");
    WriteNativeFile(Installed("Exe/tlx.exe"), "half a program");
    WriteNativeFile(Installed("InsBf"), "half a buffer");
    fs::create_directories(Installed("Rus/Rab"));
  }
  void RemoveSetupConfiguration() { fs::remove(dist_drive_.NativePath("dist/TlxSetup_5_320.cfg")); }
  // The registry file cannot be written: a plain file stands where its folder should be.
  void BreakRegistry() {
    WriteNativeFile(target_.NativePath("not-a-folder"), "");
    platform::PlatformConfig config = platform::CurrentConfig();
    config.registry_file = target_.NativePath("not-a-folder/registry.ini");
    platform::Configure(config);
  }

  // The installation folder holds exactly these files (upper-cased relative paths).
  void ExpectInstallDirHolds(const std::set<std::string>& paths) {
    std::set<std::string> found;
    if (fs::exists(target_.NativePath("tlx5_320"))) {
      for (const auto& [path, bytes] : test::TreeFiles(target_.NativePath("tlx5_320"))) found.insert(path);
    }
    EXPECT_EQ(found, paths);
  }
  bool InstallDirExists() const { return fs::exists(target_.NativePath("tlx5_320")); }
  std::string Log() const { return ReadNativeFile(target_.NativePath("setup.log")); }
  const std::string& Err() const { return err; }
};

TEST_P(UnattendedEndTest, ExitCodeAndWhatIsLeft) {
  const EndCase& c = GetParam();
  if (c.prepare) c.prepare(*this);
  std::vector<std::string> args = {"/VERYSILENT", std::string("/DIR=") + kInstallDir, "/LOG=c:\\setup.log"};
  args.insert(args.end(), c.switches.begin(), c.switches.end());
  EXPECT_EQ(Run(args), c.code) << err;
  EXPECT_EQ(err.empty(), c.code == 0) << err;
  if (c.code != 0) {
    EXPECT_NE(Log().find("error: exit code " + std::to_string(c.code) + ": "), std::string::npos) << Log();
  }
  if (c.installed) ExpectPayloadInstalled(c.variant);
  EXPECT_EQ(DesktopLinks().size(), c.link ? 1u : 0u);
  if (c.check) c.check(*this);
}

// The volumes decoded on one thread or on several, handed on by the workers or written by them
// straight into the install buffers: the same exit code, log, messages and installed tree, for a
// good distribution and for ones that get worse case by case.
TEST_F(UnattendedEndTest, OneDecodingThreadOrSeveralEndAlike) {
  struct Case {
    const char* label;
    std::function<void(UnattendedEndTest&)> prepare;
  };
  const Case cases[] = {
      {"good", nullptr},
      {"a damaged volume", [](UnattendedEndTest& t) { t.DamageVolume(); }},
      {"and a missing one", [](UnattendedEndTest& t) { fs::remove(t.Setup("TlxStp5_320.003")); }},
      {"a volume that does not unpack", [](UnattendedEndTest& t) { t.CutVolumeBehindAGoodChecksum(1); }},
  };
  struct Outcome {
    int code = 0;
    std::string err, log;
    std::map<std::string, std::string> tree;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    if (c.prepare) c.prepare(*this);
    std::vector<Outcome> outcomes;
    for (const auto& [threads, place_from] : {std::pair{"1", "0"}, std::pair{"3", "1048576"}, std::pair{"3", "0"}}) {
      setenv("TLX_DECODE_THREADS", threads, 1);
      setenv("TLX_PLACE_FROM", place_from, 1);
      Outcome outcome;
      outcome.code = Run({"/VERYSILENT", std::string("/DIR=") + kInstallDir, "/LOG=c:\\setup.log"});
      unsetenv("TLX_DECODE_THREADS");
      unsetenv("TLX_PLACE_FROM");
      outcome.err = err;
      for (const std::string& line : Lines(Log())) outcome.log += line.substr(std::min<size_t>(line.size(), 20)) + "\n";
      if (InstallDirExists()) outcome.tree = test::TreeFiles(target_.NativePath("tlx5_320"));
      if (auto cfg = outcome.tree.find("CFG/CFG.TLX"); cfg != outcome.tree.end()) cfg->second = WithoutMoments(cfg->second);
      outcomes.push_back(std::move(outcome));
      // A clean target for the next run, started from the same folder.
      platform::SetCurrentFolder(dist_drive_.Path("dist"));
      fs::remove_all(target_.NativePath("tlx5_320"));
      fs::remove(target_.NativePath("setup.log"));
      fs::remove(target_.NativePath("registry.ini"));
      for (const auto& entry : fs::directory_iterator(target_.NativePath("Desktop"))) fs::remove(entry.path());
    }
    EXPECT_EQ(outcomes[0].code, c.prepare ? 4 : 0) << outcomes[0].err;
    for (size_t i = 1; i < outcomes.size(); ++i) {
      EXPECT_EQ(outcomes[i].code, outcomes[0].code) << i;
      EXPECT_EQ(outcomes[i].err, outcomes[0].err) << i;
      EXPECT_EQ(outcomes[i].log, outcomes[0].log) << i;
      EXPECT_TRUE(outcomes[i].tree == outcomes[0].tree) << i;
    }
    EXPECT_EQ(outcomes[0].tree.empty(), c.prepare != nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Ends, UnattendedEndTest,
    ::testing::Values(
        EndCase{"TwoComponentsWithoutShortcut", nullptr, {"/VARIANT=0", "/NOSHORTCUT"}, 0, true, false, 0,
                [](UnattendedEndTest& t) { EXPECT_NE(t.Log().find("step: no desktop shortcut"), std::string::npos); }},
        EndCase{"ExistingFolderRefused", [](UnattendedEndTest& t) { t.MakeInstallDir(); }, {}, 2, false, false, 1,
                [](UnattendedEndTest& t) {
                  t.ExpectInstallDirHolds({"KEEP.TXT"});
                  EXPECT_EQ(t.Log().find("file: "), std::string::npos);
                }},
        EndCase{"DamagedVolumeIsUndone", [](UnattendedEndTest& t) { t.DamageVolume(); }, {}, 4, false, false, 1,
                [](UnattendedEndTest& t) {
                  EXPECT_NE(t.Err().find("TlxStp5_320.002"), std::string::npos) << t.Err();
                  EXPECT_NE(t.Log().find("error: "), std::string::npos);
                  EXPECT_NE(t.Log().find("step: undoing the installation"), std::string::npos);
                  EXPECT_FALSE(t.InstallDirExists());
                  EXPECT_FALSE(t.Entry());
                }},
        EndCase{"DamagedLastGroupUndoesTheFirstTwo", [](UnattendedEndTest& t) { t.DamageGroup(2); },
                {"/DIR=c:\\Программы\\ТЛК\\tlx5_320"}, 4, false, false, 1,
                [](UnattendedEndTest& t) {
                  EXPECT_NE(t.Log().find("file: c:\\Программы\\ТЛК\\tlx5_320\\Ukr\\"), std::string::npos);
                  EXPECT_FALSE(fs::exists(t.target_.NativePath("Программы")));  // with the parents it made
                  EXPECT_FALSE(t.Entry());
                }},
        EndCase{"RegistryFailureUndoesEverything", [](UnattendedEndTest& t) { t.BreakRegistry(); }, {}, 4, false,
                false, 1,
                [](UnattendedEndTest& t) {
                  EXPECT_NE(t.Err().find("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TlxSetup5_320"),
                            std::string::npos) << t.Err();
                  EXPECT_NE(t.Log().find("step: undo: removed shortcut"), std::string::npos) << t.Log();
                  EXPECT_FALSE(t.InstallDirExists());
                }},
        EndCase{"UnfinishedInstallationTakenOver", [](UnattendedEndTest& t) { t.MakeUnfinishedInstallDir(); }, {}, 0,
                true, true, 1,
                [](UnattendedEndTest& t) {
                  EXPECT_NE(t.Log().find("holds only an unfinished installation of 3.2.0"), std::string::npos) << t.Log();
                  EXPECT_FALSE(fs::exists(t.Installed(package::kInstallMarkerName)));
                  EXPECT_TRUE(t.Entry());
                }},
        EndCase{"VolumeThatPassesItsChecksumButDoesNotUnpack", [](UnattendedEndTest& t) { t.CutVolumeBehindAGoodChecksum(2); },
                {}, 4, false, false, 1,
                [](UnattendedEndTest& t) {
                  EXPECT_NE(t.Err().find("TlxStp5_320.002 - Ошибки при распаковке"), std::string::npos) << t.Err();
                  EXPECT_NE(t.Log().find("step: undoing the installation"), std::string::npos) << t.Log();
                  EXPECT_EQ(t.Log().find("installed into"), std::string::npos) << t.Log();
                  EXPECT_FALSE(t.InstallDirExists());
                  EXPECT_FALSE(t.Entry());
                }},
        EndCase{"ChecksumTableAFifo", [](UnattendedEndTest& t) { t.ReplaceBySpecialFile("Setup/kssum", true); }, {}, 4,
                false, false, 1,
                [](UnattendedEndTest& t) {
                  EXPECT_NE(t.Err().find("Setup\\kssum"), std::string::npos) << t.Err();
                  EXPECT_FALSE(t.InstallDirExists());
                }},
        EndCase{"VolumeALinkToDevZero",
                [](UnattendedEndTest& t) { t.ReplaceBySpecialFile("Setup/TlxStp5_320.002", false); }, {}, 4, false, false, 1,
                [](UnattendedEndTest& t) {
                  EXPECT_NE(t.Err().find("TlxStp5_320.002"), std::string::npos) << t.Err();
                  EXPECT_FALSE(t.InstallDirExists());
                }},
        EndCase{"SetupConfigurationAFifo", [](UnattendedEndTest& t) { t.ReplaceBySpecialFile("TlxSetup_5_320.cfg", true); },
                {}, 1, false, false, 1,
                [](UnattendedEndTest& t) {
                  EXPECT_NE(t.Err().find("TlxSetup_5_320.cfg"), std::string::npos) << t.Err();
                  EXPECT_FALSE(t.InstallDirExists());
                }},
        EndCase{"NoSetupConfigurationCannotStart", [](UnattendedEndTest& t) { t.RemoveSetupConfiguration(); }, {}, 1,
                false, false, 1, [](UnattendedEndTest& t) { EXPECT_FALSE(t.InstallDirExists()); }}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace tlx::app
