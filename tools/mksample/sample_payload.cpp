#include "tools/mksample/sample_payload.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "config/config_record.h"
#include "package/clear_folder.h"
#include "package/folder_tables.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "store/compound_builder.h"
#include "store/wfile.h"

namespace tlx::mksample {

namespace {

constexpr char kVersionText[] = "3.2.0";
constexpr uint32_t kUserFileLogicalFiles = 256;   // the suite reads logical files 0..254
constexpr uint32_t kDatabaseLogicalFiles = 12;

// Deterministic pseudo-random numbers (a 64-bit LCG), so every run writes the same bytes.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  uint32_t Next() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(state_ >> 33);
  }
  uint32_t Below(uint32_t n) { return Next() % n; }

 private:
  uint64_t state_;
};

std::string Cp1251(std::string_view utf8) {
  std::optional<std::string> text = platform::Utf8ToCp1251(utf8);
  if (!text) throw std::runtime_error("no code page 1251 form: " + std::string(utf8));
  return *text;
}

// Text that reads like the suite's reference data: work items with units and prices.
std::string ItemLine(Random& random, bool russian) {
  static constexpr std::array<std::string_view, 8> kRus = {"Кладка стен из кирпича", "Устройство бетонной подготовки",
                                                           "Монтаж металлоконструкций", "Штукатурка поверхностей",
                                                           "Окраска водоэмульсионными составами",
                                                           "Разработка грунта экскаватором",
                                                           "Устройство кровли из рулонных материалов",
                                                           "Прокладка трубопроводов"};
  static constexpr std::array<std::string_view, 8> kUkr = {"Мурування стін з цегли", "Улаштування бетонної підготовки",
                                                           "Монтаж металоконструкцій", "Штукатурення поверхонь",
                                                           "Фарбування водоемульсійними сумішами",
                                                           "Розробка ґрунту екскаватором",
                                                           "Улаштування покрівлі з рулонних матеріалів",
                                                           "Прокладання трубопроводів"};
  static constexpr std::array<std::string_view, 4> kUnits = {"м3", "м2", "т", "100 м"};
  const auto& names = russian ? kRus : kUkr;
  return std::to_string(1 + random.Below(46)) + "-" + std::to_string(1 + random.Below(999)) + " " +
         std::string(names[random.Below(names.size())]) + "; " + std::string(kUnits[random.Below(4)]) + "; " +
         std::to_string(random.Below(100000)) + "." + std::to_string(10 + random.Below(90));
}

std::string Join(const std::string& folder, std::string_view name) { return folder + "/" + std::string(name); }

void MakeFolder(const std::string& path) {
  if (!platform::CreateFolderTree(path)) throw std::runtime_error(path + ": cannot be created");
}

void WriteFile(const std::string& path, std::string_view bytes) {
  platform::OpenOptions options;
  options.access = platform::Access::Write;
  options.disposition = platform::Disposition::CreateAlways;
  platform::File file = platform::File::Open(path, options);
  uint32_t done = 0;
  if (!file.valid() || (!bytes.empty() && (!file.Write(bytes.data(), static_cast<uint32_t>(bytes.size()), &done) ||
                                           done != bytes.size())) ||
      !file.Close()) {
    throw std::runtime_error(path + ": cannot be written");
  }
}

// A compound record file: logical file 0 holds the version text, the others `records` lines each.
void WriteRecordDatabase(const std::string& path, uint32_t count, uint32_t records, uint64_t seed, bool russian) {
  Random random(seed);
  store::CompoundFileBuilder builder(path, count, 0);
  builder.BeginLogical(0);
  builder.AddRecord(0, kVersionText);
  builder.EndLogical();
  for (uint32_t n = 1; n < count; ++n) {
    builder.BeginLogical(n);
    const uint32_t lines = n % 7 == 3 ? 0 : records / 2 + random.Below(records);
    for (uint32_t i = 0; i < lines; ++i) builder.AddRecord(static_cast<uint8_t>(n % 3), Cp1251(ItemLine(random, russian)));
    builder.EndLogical();
  }
  builder.Finish();
}

// The shipped configuration: the 1375-byte record and its eight texts.
void WriteConfiguration(const std::string& path) {
  config::ConfigRecord record;
  record.SetOptionBits(config::opt::kScaling | config::opt::kAutoSave | config::opt::kNsiNameInSearch);
  record.SetDocLanguage(config::kLangUkrainian);
  record.SetInterfaceLanguage(config::kLangUkrainian);
  record.SetAutoSavePeriodMs(10 * 60000);
  record.SetAutoSaveTime(10.0 / (24 * 60));
  for (size_t i = 0; i < sizeof kVersionText - 1; ++i) record.SetU8(config::cfg::kVersionText + i, kVersionText[i]);
  record.SetDefaultScale(2);
  record.SetU32(config::cfg::kFixed197, 31);
  record.SetU8(config::cfg::kFixed250, 5);
  static constexpr std::array<std::string_view, config::kConfigTextCount> kTexts = {
      "ТОВ «Будівельна компанія»", "м. Київ", "Директор", "Головний інженер", "Кошторисник", "UAH", "", "3.2.0"};
  std::string bytes(reinterpret_cast<const char*>(record.Bytes().data()), config::kConfigRecordSize);
  for (std::string_view text : kTexts) {
    const std::string stored = Cp1251(text);
    bytes += static_cast<char>(stored.size() & 0xFF);
    bytes += static_cast<char>(stored.size() >> 8);
    bytes += stored;
  }
  WriteFile(path, bytes);
}

// The suite's aliases: one record per alias, NAME#@\path[#@\second path].
void WriteAliases(const std::string& path) {
  static constexpr std::array<std::string_view, 10> kAliases = {
      "CFG#@\\CFG",          "EXE#@\\EXE",
      "BASE#@\\BASE",        "DOC#@\\DOC",
      "NSI#@\\RUS\\USERNSI#@\\UKR\\USERNSI", "LBN#@\\RUS\\LBN#@\\UKR\\LBN",
      "RAB#@\\RUS\\RAB#@\\UKR\\RAB",         "DATA#@\\RUS\\DATA#@\\UKR\\DATA",
      "LPD#@\\RUS\\LPD#@\\UKR\\LPD",         "ETALON#@\\RUS\\ETALON#@\\UKR\\ETALON"};
  store::WFile file(path, store::SimpleMode::CreateReplace);
  for (std::string_view alias : kAliases) file.WriteTypedRecord(0, static_cast<uint16_t>(alias.size()), alias.data());
  file.Close();
}

std::string Document(std::string_view title, uint32_t paragraphs, uint64_t seed, bool russian) {
  Random random(seed);
  std::string text = std::string(title) + "\r\n\r\n";
  for (uint32_t p = 0; p < paragraphs; ++p) text += ItemLine(random, russian) + "\r\n";
  return Cp1251(text);
}

constexpr char kDescription[] =
    "# The sample suite's description for tlxpack.\n"
    "order = [\"Exe/tlx.exe\", \"Exe/alias.tlx\", \"Cfg/Cfg.tlx\"]\n"
    "\n"
    "# Installed only for the three-component variant.\n"
    "[[file]]\n"
    "path = \"Doc/components3.txt\"\n"
    "variant = 1\n"
    "\n"
    "# One readme, its text chosen by the installation variant.\n"
    "[[alternative]]\n"
    "path = \"Doc/readme.txt\"\n"
    "variant0 = \"Doc/readme.two.txt\"\n"
    "variant1 = \"Doc/readme.three.txt\"\n";

constexpr char kPlaceholderExe[] =
    "Placeholder for tlx.exe: the Windows build makes the stand-in suite program that goes here.\r\n";

}  // namespace

bool WriteSamplePayload(const std::string& folder, const std::string& tlx_exe) {
  MakeFolder(folder);
  package::ClearFolder(folder);
  for (std::string_view common : package::kCommonFolders) MakeFolder(folder + std::string(common));
  const std::string cfg = Join(folder, "Cfg");
  WriteConfiguration(Join(cfg, "Cfg.tlx"));
  WriteRecordDatabase(Join(cfg, "klsstd.tlx"), 8, 30, 101, false);
  WriteRecordDatabase(Join(cfg, "klsuse.tlx"), 8, 10, 102, false);
  WriteRecordDatabase(Join(cfg, "boib.sfr"), 4, 10, 103, false);
  WriteAliases(Join(folder, "Exe/alias.tlx"));
  bool have_exe = false;
  if (!tlx_exe.empty() && platform::FileExists(tlx_exe)) {
    if (!platform::CopyFile(tlx_exe, Join(folder, "Exe/tlx.exe"), false)) throw std::runtime_error(tlx_exe + ": cannot be copied");
    have_exe = true;
  } else {
    WriteFile(Join(folder, "Exe/tlx.exe"), kPlaceholderExe);
  }
  WriteRecordDatabase(Join(folder, "Base/tlxbase.tlx"), 16, 120, 104, true);
  WriteFile(Join(folder, "Doc/licence.txt"), Document("Лицензионное соглашение", 60, 105, true));
  WriteFile(Join(folder, "Doc/readme.two.txt"), Document("Установка: два компонента", 12, 106, true));
  WriteFile(Join(folder, "Doc/readme.three.txt"), Document("Установка: три компонента", 14, 107, true));
  WriteFile(Join(folder, "Doc/components3.txt"), Document("Третий компонент", 20, 108, true));
  WriteFile(Join(folder, "Doc/blank.txt"), "");
  WriteFile(Join(folder, "tlxpack.toml"), kDescription);

  for (size_t lang = 0; lang < package::kLanguageFolders.size(); ++lang) {
    const bool russian = lang == package::kRussianLanguage;
    const std::string root = folder + std::string(package::kLanguageFolders[lang]);
    for (std::string_view sub : package::kLanguageSubfolders) MakeFolder(root + std::string(sub));
    const package::ReferenceCopies& copies = package::kReferenceCopies[lang];
    uint64_t seed = 200 + lang * 100;
    for (std::string_view database : copies.databases) {
      WriteRecordDatabase(root + "/LBN" + std::string(database), kDatabaseLogicalFiles, 12, seed++, russian);
    }
    WriteRecordDatabase(root + "/UserNsi" + std::string(copies.user_file), kUserFileLogicalFiles, 2, seed++, russian);
    WriteRecordDatabase(root + "/LPD/lpd.tlx", 6, 8, seed++, russian);
    WriteRecordDatabase(root + "/Data/data.tlx", 6, 8, seed++, russian);
  }
  return have_exe;
}

}  // namespace tlx::mksample
