// The main window's model: first showing with and without the setup configuration file and the
// measuring marker, the accepted agreement, and the layout arithmetic the window draws.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/main_layout.h"
#include "app/main_window.h"
#include "messages/lang_box.h"
#include "messages/recording_sink.h"
#include "messages/zerror.h"
#include "platform/config.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "support/files.h"
#include "support/temp_drive.h"

namespace tlx::app {
namespace {

// Runs each test in a fresh start folder c:\dist.
class StartFolderTest : public ::testing::Test {
 protected:
  StartFolderTest() : saved_cwd_(std::filesystem::current_path()) {
    std::filesystem::create_directories(drive.NativePath("dist"));
    platform::SetCurrentFolder(drive.Path("dist"));
  }
  ~StartFolderTest() override { std::filesystem::current_path(saved_cwd_); }

  test::TempDrive drive;
  test::SinkScope scope{config::kLangUkrainian};

 private:
  std::filesystem::path saved_cwd_;
};

TEST_F(StartFolderTest, ReadsUpToEightBytesOfTheSetupConfiguration) {
  struct Case {
    std::string bytes;
    uint64_t required;
  };
  const Case cases[] = {
      {std::string("\x01\x02\x03", 3), 0x030201},
      {std::string("\x00\x27\xB9\x29\x00\x00\x00\x00", 8), 700000000},
      {std::string("\x01\x00\x00\x00\x00\x00\x00\x80\xFF\xFF", 10), 0x8000000000000001u},
      {"", 0},
  };
  for (const Case& c : cases) {
    test::WriteNativeFile(drive.NativePath("dist/tlxsetup_5_320.CFG"), c.bytes);  // any letter case
    TInsMain main;
    main.RequiredSpace = 99;
    ASSERT_TRUE(main.FormShow({1024, 768}));
    EXPECT_EQ(main.RequiredSpace, c.required);
    EXPECT_FALSE(main.MeasureMode);
    EXPECT_EQ(main.StartDir, drive.Path("dist"));
    EXPECT_FALSE(main.PanUpdtVisible);
    EXPECT_EQ(main.PanCompLeft, (1024 - 375) / 2);
    EXPECT_EQ(main.PanCompTop, (768 - 82) / 2);
  }
  EXPECT_TRUE(scope.sink.requests.empty());
}

TEST_F(StartFolderTest, MissingSetupConfigurationIsError605) {
  TInsMain main;
  EXPECT_FALSE(main.FormShow({800, 600}));
  ASSERT_EQ(scope.sink.requests.size(), 1u);
  EXPECT_EQ(scope.sink.requests[0].text, "Отсутствует файл TlxSetup_5_320.Cfg");
  EXPECT_EQ(scope.sink.requests[0].kind, messages::EMsgKind::emk_Error);
  EXPECT_EQ(config::Config().InterfaceLanguage(), config::kLangRussian);
  EXPECT_EQ(config::Config().DocLanguage(), config::kLangRussian);
}

TEST_F(StartFolderTest, MeasuringMarkerNeedsNoSetupConfiguration) {
  test::WriteNativeFile(drive.NativePath("dist/I.cfg"), "");
  TInsMain main;
  EXPECT_TRUE(main.FormShow({1024, 768}));
  EXPECT_TRUE(main.MeasureMode);
  EXPECT_TRUE(main.Measure.enabled);
  EXPECT_EQ(main.RequiredSpace, 0u);
  EXPECT_TRUE(scope.sink.requests.empty());
}

TEST_F(StartFolderTest, AFolderNamedLikeTheSetupConfigurationIsNoFile) {
  std::filesystem::create_directories(drive.NativePath("dist/TlxSetup_5_320.cfg"));
  TInsMain main;
  EXPECT_FALSE(main.FormShow({1024, 768}));  // a folder of that name is no file: 605
}

// A setup configuration file that exists but cannot be read (another program holds it open and
// shares nothing, which binds the super-user too) is no missing file: the file layer's error names
// the file and the system's reason, and no message 605 comes.
TEST_F(StartFolderTest, SetupConfigurationThatCannotBeReadRaisesNamingTheFile) {
  test::WriteNativeFile(drive.NativePath("dist/TlxSetup_5_320.cfg"), std::string("\x01\x02", 2));
  platform::OpenOptions held;
  held.access = platform::Access::Read;
  held.disposition = platform::Disposition::OpenExisting;
  held.share = platform::kShareNone;
  platform::File holder = platform::File::Open(drive.Path("dist\\TlxSetup_5_320.cfg"), held);
  ASSERT_TRUE(holder.valid());
  TInsMain main;
  main.RequiredSpace = 99;
  try {
    main.FormShow({1024, 768});
    ADD_FAILURE() << "a held setup configuration file was read";
  } catch (const messages::ZError& e) {
    EXPECT_NE(e.Params().find("TlxSetup_5_320.cfg"), std::string::npos) << e.Params();
    EXPECT_NE(e.Params().find("[Win=00000020]"), std::string::npos) << e.Params();
  }
  EXPECT_EQ(main.RequiredSpace, 99u);
  EXPECT_TRUE(scope.sink.requests.empty());
  holder.Close();
  ASSERT_TRUE(main.FormShow({1024, 768}));  // released: read as usual
  EXPECT_EQ(main.RequiredSpace, 0x0201u);
}

TEST(AgreementAccepted, SupportedSystemRunsTheMainWindow) {
  test::SinkScope scope{config::kLangUkrainian};
  const platform::PlatformConfig saved = platform::CurrentConfig();
  platform::PlatformConfig config = saved;
  config.os_version = platform::DefaultOSVersion();
  if (!platform::Configure(config)) GTEST_SKIP() << "the system answers the version query";
  int runs = 0;
  EXPECT_TRUE(AgreementAccepted([&] { ++runs; }));
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(scope.sink.requests.empty());
  EXPECT_EQ(config::Config().InterfaceLanguage(), config::kLangRussian);

  for (auto version : {std::optional<platform::OSVersionRecord>{}, std::optional(platform::OSVersionRecord{})}) {
    if (version) {
      version->platform_id = 2;
      version->major = 6;
      version->minor = 4;
    }
    config.os_version = version;
    platform::Configure(config);
    scope.sink.requests.clear();
    messages::SetInterfaceLang(messages::elg_Ukr);  // as at start: the main window has not set it
    EXPECT_FALSE(AgreementAccepted([&] { ++runs; }));
    EXPECT_EQ(messages::InterfaceLang(), messages::elg_Rus);  // the warning's buttons in Russian too
    ASSERT_EQ(scope.sink.requests.size(), 1u);
    EXPECT_EQ(scope.sink.requests[0].kind, messages::EMsgKind::emk_Warning);
    EXPECT_EQ(scope.sink.requests[0].text,
              "Операционная система Вашего компьютера не подходит для установки программного комплекса ТЛК5");
  }
  EXPECT_EQ(runs, 1);
  platform::Configure(saved);
}

// Text sizes proportional to the font: width = bytes * points / 2, height = points * 3 / 2.
class ProportionalMeasurer : public messages::TextMeasurer {
 public:
  int TextWidth(std::string_view text, const messages::TextFormat& f) const override {
    return static_cast<int>(text.size()) * f.size / 2;
  }
  int TextHeight(std::string_view, const messages::TextFormat& f) const override { return f.size * 3 / 2; }
};

TEST(MainLayout, LogoAndTitleOnA1024By768Desktop) {
  const Bounds logo = LogoBounds({0, 0, 1024, 768});
  EXPECT_EQ(logo, (Bounds{0, 0, 88, 66}));
  EXPECT_EQ(LogoBounds({0, 0, 800, 560}), (Bounds{0, 0, 69, 48}));

  ProportionalMeasurer measurer;
  // Short text: the height decides (66 / 1.5 = 44 points).
  FittedLabel title = FitTitle(measurer, "ТЛК", 8, logo, {0, 0, 1024, 768});
  EXPECT_EQ(title.points, 44);
  EXPECT_EQ(title.bounds, (Bounds{89, 66 / 2 - 66 / 2, 1024 - 89, 66}));
  // Long text: the width decides; the label never outgrows the room beside the logo.
  title = FitTitle(measurer, kMainTitle, 8, logo, {0, 0, 1024, 768});
  const int length = static_cast<int>(std::string_view(kMainTitle).size());
  EXPECT_EQ(title.points, 2 * 935 / length);
  messages::TextFormat bold;
  bold.bold = true;
  bold.size = title.points;
  EXPECT_LE(measurer.TextWidth(kMainTitle, bold), 935);
  bold.size = title.points + 1;
  EXPECT_GT(measurer.TextWidth(kMainTitle, bold), 935);

  // The vendor line is never larger than the title and sits at the bottom edge.
  const FittedLabel vendor = FitVendor(measurer, "vendor", 8, 20, {0, 0, 1024, 740});
  EXPECT_EQ(vendor.points, 20);
  EXPECT_EQ(vendor.bounds, (Bounds{0, 740 - 30 - 1, 1024, 740}));
  EXPECT_EQ(FitVendor(measurer, std::string(100, 'x'), 8, 40, {0, 0, 1024, 740}).points, 20);
}

TEST(MainLayout, BackgroundBands) {
  // 600 rows: bands of 2, blue grows by 1.3 per row until it saturates, then grey rises.
  std::vector<Band> bands = BackgroundBands(600);
  ASSERT_EQ(bands.size(), 300u);
  EXPECT_EQ(bands.front(), (Band{0, 2, 0}));
  EXPECT_EQ(bands[50], (Band{100, 102, 65u << 16}));
  EXPECT_EQ(bands[196], (Band{392, 394, 254u << 16}));
  EXPECT_EQ(bands[197], (Band{394, 396, 0xFF0202u}));
  EXPECT_EQ(bands.back().colour, 0xFF0000u | (2u * 103 << 8) | (2u * 103));  // 103 saturated bands
  // 1020 rows: bands of 4 at scale 4.
  bands = BackgroundBands(1020);
  ASSERT_EQ(bands.size(), 255u);
  EXPECT_EQ(bands[10], (Band{40, 44, 13u << 16}));
  // Fewer than 510 rows: bands of 2 and a scale of 255 / rows / 3; the grey never passes 255.
  bands = BackgroundBands(100);
  ASSERT_EQ(bands.size(), 50u);
  EXPECT_EQ(bands[1].colour, 3u << 16);        // 2 / 0.85 * 1.3 = 3.06
  EXPECT_EQ(bands.back().colour, 149u << 16);  // 98 / 0.85 * 1.3 = 149.9
  for (const Band& b : BackgroundBands(3000)) EXPECT_LE(b.colour & 0xFF, 255u);
  EXPECT_TRUE(BackgroundBands(0).empty());
}

}  // namespace
}  // namespace tlx::app
