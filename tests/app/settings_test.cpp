// The settings step: Cfg.tlx as the settings window leaves it, the reference-data checksums, the
// suite's own reading and writing of the file, and the window's model.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

#include "config/config_record.h"
#include "messages/recording_sink.h"
#include "messages/zerror.h"
#include "platform/fs.h"
#include "store/aliases.h"
#include "store/compound_builder.h"
#include "store/config_file.h"
#include "store/settings.h"
#include "store/settings_file.h"
#include "store/settings_window.h"
#include "store/word_checksum.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::store {
// The settings step reads and writes the process-wide configuration record.
using config::Config;
using config::ConfigRecord;
using config::kConfigRecordSize;
using config::kSettingsFileSize;
namespace cfg = config::cfg;
namespace opt = config::opt;

namespace {

uint32_t Dword(const std::string& bytes, std::size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
  return v;
}

void PutDword(std::string& bytes, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
}

// A shipped configuration: every byte a function of its offset, so untouched bytes are easy to see.
std::string ShippedConfig(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + 3) & 0xFF);
  return bytes;
}

class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() {
    install = drive.Path("tlx5_320");
    std::filesystem::create_directories(drive.NativePath("tlx5_320\\Cfg"));
    WriteNsi("tlx5_320\\Ukr\\UserNsi\\userukr.nsi", {{3, "abc"}, {200, "defgh"}});
    WriteNsi("tlx5_320\\Rus\\UserNsi\\userrus.nsi", {{0, "\xff\xff\xff\xff\x01\x00\x00\x00"}});
  }
  ~SettingsTest() override { ClearAliases(); }

  // A reference-data file of 255 logical files with one record in each listed logical file.
  void WriteNsi(const std::string& relative, const std::vector<std::pair<uint32_t, std::string>>& records) {
    std::filesystem::create_directories(std::filesystem::path(drive.NativePath(relative)).parent_path());
    CompoundFileBuilder builder(drive.Path(relative), kNsiLogicalFiles, 0);
    for (const auto& [n, data] : records) {
      builder.BeginLogical(n);
      builder.AddRecord(0, data);
      builder.EndLogical();
    }
    builder.Finish();
  }
  std::string CfgNative() const { return drive.NativePath("tlx5_320\\Cfg\\Cfg.tlx"); }
  std::string Apply(const TNstr& window, const std::function<void()>& hook = {}) {
    ApplySettings(install, 1, window, 45000.5, hook);
    return test::ReadNativeFile(CfgNative());
  }

  test::TempDrive drive;
  test::SinkScope scope;
  std::string install;
  TNstr defaults{1024, 768};
};

TEST_F(SettingsTest, DefaultsAddTheirBitsAndKeepEverythingElse) {
  std::string shipped = ShippedConfig(kSettingsFileSize);
  PutDword(shipped, cfg::kOptionBits, 0x80000001u | 0x20000000u | 0x40u);
  test::WriteNativeFile(CfgNative(), shipped);
  const std::string out = Apply(defaults);

  ASSERT_EQ(out.size(), kSettingsFileSize);
  EXPECT_EQ(Dword(out, cfg::kOptionBits), 0x80000001u | 0x00040800u);
  EXPECT_EQ(Dword(out, cfg::kAutoSavePeriodMs), 600000u);
  EXPECT_EQ(Dword(out, cfg::kDefaultScale), 2u);
  EXPECT_EQ(Dword(out, cfg::kFixed197), 31u);
  EXPECT_EQ(out.substr(cfg::kFixed250, 4), std::string("\x05\0\0\0", 4));
  EXPECT_EQ(static_cast<uint8_t>(out[cfg::kInstallKind]), 1);
  EXPECT_DOUBLE_EQ(Config().SettingsMoment(), 45000.5);
  EXPECT_DOUBLE_EQ(Config().AutoSaveTime(), kDefaultAutoSaveTime);
  // The languages, the version text and the tail keep the shipped bytes.
  EXPECT_EQ(out.substr(22, 2), shipped.substr(22, 2));
  EXPECT_EQ(out.substr(36, 14), shipped.substr(36, 14));
  EXPECT_EQ(out.substr(kConfigRecordSize), shipped.substr(kConfigRecordSize));
  EXPECT_EQ(out.substr(260, 900), shipped.substr(260, 900));
  // The process-wide record now holds what was written.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Config().Bytes().data()), kConfigRecordSize),
            out.substr(0, kConfigRecordSize));
}

TEST_F(SettingsTest, RewrittenFileIsAlways1407Bytes) {
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{1406}, std::size_t{1408},
                                 std::size_t{1} << 20}) {
    SCOPED_TRACE(size);
    Config().Clear();
    const std::string shipped = ShippedConfig(size);
    test::WriteNativeFile(CfgNative(), shipped);
    const std::string out = Apply(defaults);
    ASSERT_EQ(out.size(), kSettingsFileSize);
    // Bytes the short file did not reach stay zero unless the step wrote them.
    const std::size_t kept = std::min(size, kSettingsFileSize);
    if (kept > 1000) {
      EXPECT_EQ(out.substr(1000, kept - 1000), shipped.substr(1000, kept - 1000));
    }
    if (size < kSettingsFileSize) {
      EXPECT_EQ(out.back(), '\0');
    }
  }
}

TEST_F(SettingsTest, EachControlOwnsItsBit) {
  struct Case {
    std::function<void(TNstr&)> set;
    uint32_t bit;
  };
  const Case cases[] = {
      {[](TNstr& w) { w.CBNsi = true; }, 0x00000040},
      {[](TNstr& w) { w.CBStk = true; }, 0x00000100},
      {[](TNstr& w) { w.CBCross = true; }, 0x00010000},
      {[](TNstr& w) { w.SelNumFree = true; }, 0x00020000},
      {[](TNstr& w) { w.CbCheckUpInet = true; }, 0x00100000},
      {[](TNstr& w) { w.CbHeaderBld = true; }, 0x00200000},
      {[](TNstr& w) { w.CbRestoreNsiInLS = true; }, 0x00400000},
      {[](TNstr& w) { w.CbHeaderKp = true; }, 0x02000000},
      {[](TNstr& w) { w.CbHintForPos = true; }, 0x20000000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bit);
    test::WriteNativeFile(CfgNative(), ShippedConfig(kSettingsFileSize).replace(0, 4, 4, '\0'));
    TNstr window{1024, 768};
    window.CbAuto = false;
    window.YesScale = false;
    c.set(window);
    EXPECT_EQ(Dword(Apply(window), 0), c.bit);
  }
}

TEST_F(SettingsTest, ClearedControlsClearShippedBitsAndKeepAutoSaving) {
  std::string shipped = ShippedConfig(kSettingsFileSize);
  PutDword(shipped, 0, 0xFFFFFFFFu);
  test::WriteNativeFile(CfgNative(), shipped);
  TNstr window{1024, 768};
  window.CbAuto = false;
  window.YesScale = false;
  const std::string out = Apply(window);
  EXPECT_EQ(Dword(out, 0), ~0x22770940u);
  EXPECT_EQ(out.substr(24, 12), shipped.substr(24, 12));
}

TEST_F(SettingsTest, LanguagesAndAutoSavingTime) {
  std::string shipped = ShippedConfig(kSettingsFileSize);
  shipped[22] = shipped[23] = 0;
  test::WriteNativeFile(CfgNative(), shipped);
  TNstr window{1024, 768};
  window.RILang = true;
  window.AutoDtTm = 44000 + (2 * 60 + 35) / 1440.0;  // 02:35 on some date
  std::string out = Apply(window);
  EXPECT_EQ(out[23], 1);
  EXPECT_EQ(out[22], 0);
  EXPECT_EQ(Dword(out, 24), 2 * 3600000u + 35 * 60000u);

  test::WriteNativeFile(CfgNative(), shipped);
  window.RILang = false;
  window.RDLang = true;
  out = Apply(window);
  EXPECT_EQ(out[23], 0);
  EXPECT_EQ(out[22], 1);
}

TEST_F(SettingsTest, FailureBeforeTheRenameLeavesTheOldFile) {
  const std::string shipped = ShippedConfig(900);
  test::WriteNativeFile(CfgNative(), shipped);
  EXPECT_THROW(Apply(defaults, [] { throw std::runtime_error("power cut"); }), std::runtime_error);
  EXPECT_EQ(test::ReadNativeFile(CfgNative()), shipped);
  EXPECT_FALSE(test::NativeExists(CfgNative() + ".new"));
}

TEST_F(SettingsTest, ReadOnlyConfigurationIsRefusedAndKept) {
  const std::string shipped = ShippedConfig(900);
  test::WriteNativeFile(CfgNative(), shipped);
  ASSERT_TRUE(platform::SetAttributes(install + "\\Cfg\\Cfg.tlx", platform::attr::kReadOnly));
  EXPECT_THROW(Apply(defaults), messages::ZError);
  platform::SetAttributes(install + "\\Cfg\\Cfg.tlx", platform::attr::kNormal);
  EXPECT_EQ(test::ReadNativeFile(CfgNative()), shipped);
  EXPECT_FALSE(test::NativeExists(CfgNative() + ".new"));
}

TEST_F(SettingsTest, MissingFilesRaiseBeforeAnythingIsWritten) {
  try {
    Apply(defaults);
    FAIL() << "no exception";
  } catch (const messages::ZError& e) {
    EXPECT_EQ(e.Number(), 1);
    EXPECT_NE(e.Params().find("Cfg.tlx"), std::string::npos);
  }
  EXPECT_FALSE(test::NativeExists(CfgNative()));

  const std::string shipped = ShippedConfig(kSettingsFileSize);
  test::WriteNativeFile(CfgNative(), shipped);
  std::filesystem::remove(drive.NativePath("tlx5_320\\Rus\\UserNsi\\userrus.nsi"));
  try {
    Apply(defaults);
    FAIL() << "no exception";
  } catch (const messages::ZError& e) {
    EXPECT_EQ(e.Number(), 1);
    EXPECT_NE(e.Params().find("userrus.nsi"), std::string::npos);
  }
  EXPECT_EQ(test::ReadNativeFile(CfgNative()), shipped);
}

TEST_F(SettingsTest, ReferenceDataChecksums) {
  test::WriteNativeFile(CfgNative(), ShippedConfig(kSettingsFileSize));
  const std::string out = Apply(defaults);
  // userukr.nsi: "abc" -> 0x6261 + 0x63; "defgh" -> 0x67666564 + 0x68.
  EXPECT_EQ(Dword(out, 117), 0x62C4u + 0x67666564u + 0x68u);
  EXPECT_EQ(Dword(out, 125), 0u);
  // userrus.nsi: 0xFFFFFFFF + 1 carries once.
  EXPECT_EQ(Dword(out, 121), 0u);
  EXPECT_EQ(Dword(out, 129), 1u);
  EXPECT_EQ(Dword(out, 133), *platform::FileDosTime(install + "\\Ukr\\UserNsi\\userukr.nsi"));
  EXPECT_EQ(Dword(out, 137), *platform::FileDosTime(install + "\\Rus\\UserNsi\\userrus.nsi"));

  const std::string ukr = install + "\\Ukr\\UserNsi\\userukr.nsi";
  EXPECT_FALSE(VerifyNsiChecksum(ukr, 0));
  EXPECT_TRUE(VerifyNsiChecksum(ukr, 1));
  WriteNsi("tlx5_320\\Ukr\\UserNsi\\userukr.nsi", {{3, "abd"}, {200, "defgh"}});
  EXPECT_TRUE(VerifyNsiChecksum(ukr, 0));
}

TEST_F(SettingsTest, TooFewLogicalFilesIsAnError) {
  test::WriteNativeFile(CfgNative(), ShippedConfig(kSettingsFileSize));
  CompoundFileBuilder builder(install + "\\Ukr\\UserNsi\\userukr.nsi", 10, 0);
  builder.Finish();
  EXPECT_THROW(Apply(defaults), messages::ZError);
}

TEST(WordChecksum, WordsHalfWordsAndBytes) {
  struct Case {
    std::string bytes;
    WordSum expected;
  };
  const Case cases[] = {
      {"abc", {0x62C4, 0}},
      {"", {0, 0}},
      {"z", {0x7A, 0}},
      {"abcd", {0x64636261, 0}},
      {std::string("\xff\xff\xff\xff\xff\xff\xff\xff\x02\x00", 10), {0, 2}},
  };
  for (const Case& c : cases) {
    WordSum total{1, 1};
    WordChecksum(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size(), total);
    EXPECT_EQ(total.sum, c.expected.sum + 1) << c.bytes.size();
    EXPECT_EQ(total.carries, c.expected.carries + 1) << c.bytes.size();
  }
}

class ConfigFileTest : public SettingsTest {
 protected:
  ConfigFileTest() { AddAlias({"CFG", install + "\\Cfg\\"}); }
};

TEST_F(ConfigFileTest, SaveThenLoadRoundTrip) {
  test::WriteNativeFile(CfgNative(), std::string(5000, 'x'));
  ConfigRecord& record = Config();
  record.SetOptionBits(0x12345678);
  record.Texts()[0] = "c:\\ТЛК\\Base";
  record.Texts()[7] = "last";
  SaveConfig();
  const std::string out = test::ReadNativeFile(CfgNative());
  ASSERT_EQ(out.size(), 5000u);  // not shortened
  EXPECT_EQ(Dword(out, 0), 0x12345678u);
  EXPECT_EQ(out.substr(kConfigRecordSize, 2), std::string("\x0b\x00", 2));
  EXPECT_EQ(out.substr(kConfigRecordSize + 2, 11), "c:\\\xd2\xcb\xca\\Base");  // code page 1251

  record.Clear();
  LoadConfig("");
  EXPECT_EQ(record.OptionBits(), 0x12345678u);
  EXPECT_EQ(record.Texts()[0], "c:\\ТЛК\\Base");
  EXPECT_EQ(record.Texts()[7], "last");
  LoadConfig(install + "\\Cfg\\");
  EXPECT_EQ(record.Texts()[7], "last");
}

TEST_F(ConfigFileTest, LoadRefusesATextPastTheEnd) {
  std::string bytes = ShippedConfig(kConfigRecordSize);
  bytes += std::string("\x05\x00" "abcde" "\xff\x00" "short", 14);
  test::WriteNativeFile(CfgNative(), bytes);
  try {
    LoadConfig("");
    FAIL() << "no exception";
  } catch (const messages::ZError& e) {
    EXPECT_EQ(e.Number(), 0);
    EXPECT_NE(e.Params().find("cfg.tlx - Ошибки при чтении"), std::string::npos) << e.Params();
  }
  // A file that ends after a whole text leaves the remaining slots empty.
  test::WriteNativeFile(CfgNative(), bytes.substr(0, kConfigRecordSize + 7));
  Config().Texts()[3] = "old";
  LoadConfig("");
  EXPECT_EQ(Config().Texts()[0], "abcde");
  EXPECT_EQ(Config().Texts()[3], "");
}

TEST_F(ConfigFileTest, SaveNeedsAnExistingFile) {
  try {
    SaveConfig();
    FAIL() << "no exception";
  } catch (const messages::ZError& e) {
    EXPECT_EQ(e.Number(), 1);
  }
  EXPECT_FALSE(test::NativeExists(CfgNative()));
}

TEST(TNstrModel, DefaultsAndVisibility) {
  TNstr window(1024, 768);
  EXPECT_TRUE(window.ZGSVisible());
  EXPECT_TRUE(window.YesScale);
  EXPECT_TRUE(window.CbAuto);
  EXPECT_TRUE(window.AutoVisible());
  EXPECT_EQ(window.Scale, 2);
  EXPECT_EQ(kScaleItems[window.Scale], "100 %");
  EXPECT_FALSE(window.RILang || window.RDLang || window.SelNumFree || window.CBNsi || window.CBCross ||
               window.CBStk || window.CbCheckUpInet || window.CbHeaderBld || window.CbHeaderKp ||
               window.CbRestoreNsiInLS || window.CbHintForPos);

  EXPECT_FALSE(TNstr(800, 600).ZGSVisible());
  EXPECT_TRUE(TNstr(800, 601).ZGSVisible());
  EXPECT_TRUE(TNstr(600, 800).ZGSVisible());

  window.CbAuto = false;
  window.CbAutoClick();
  EXPECT_FALSE(window.AutoVisible());
  window.CbCheckUpInet = true;  // shares the handler: follows CbAuto, not itself
  window.CbAutoClick();
  EXPECT_FALSE(window.AutoVisible());
  window.CbAuto = true;
  window.CbAutoClick();
  EXPECT_TRUE(window.AutoVisible());

  EXPECT_FALSE(TNstr::ScaleTakesKey());
  window.PickScale(4);
  window.PickScale(5);
  window.PickScale(-1);
  EXPECT_EQ(window.Scale, 4);
}

TEST_F(SettingsTest, HiddenScalingGroupStillScales) {
  test::WriteNativeFile(CfgNative(), std::string(kSettingsFileSize, '\0'));
  EXPECT_EQ(Dword(Apply(TNstr(800, 600)), 0), 0x00040800u);
}

}  // namespace
}  // namespace tlx::store
