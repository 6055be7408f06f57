#include "store/settings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>
#include <vector>

#include "config/config_record.h"
#include "messages/zerror.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "store/aliases.h"
#include "store/settings_file.h"
#include "store/sfile.h"
#include "store/wfile.h"
#include "store/wrec.h"

namespace tlx::store {
// The settings step reads and writes the process-wide configuration record.
using config::Config;
using config::ConfigRecord;
using config::kConfigRecordSize;
using config::kLangRussian;
using config::kSettingsFileSize;
namespace cfg = config::cfg;
namespace opt = config::opt;

namespace {

constexpr uint32_t kMsPerHour = 3600000;
constexpr uint32_t kMsPerMinute = 60000;
constexpr double kMsPerDay = 86400000.0;

// Days from 1970-01-01 to the given civil date (proleptic Gregorian calendar).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// The time of day of a date-time value in milliseconds, rounded as the picker shows it.
uint32_t TimeOfDayMs(double date_time) {
  const double fraction = std::fabs(date_time - std::trunc(date_time));
  return static_cast<uint32_t>(std::llround(fraction * kMsPerDay)) % static_cast<uint32_t>(kMsPerDay);
}

}  // namespace

std::string ConfigFileName(std::string_view install_dir) {
  return std::string(install_dir) + "\\Cfg" + "\\Cfg.tlx";
}

double LocalNowDays() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  if (local == nullptr) return 0;
  const int64_t days = DaysFromCivil(local->tm_year + 1900, static_cast<unsigned>(local->tm_mon + 1),
                                     static_cast<unsigned>(local->tm_mday)) -
                       DaysFromCivil(1899, 12, 30);
  const int seconds = local->tm_hour * 3600 + local->tm_min * 60 + std::min(local->tm_sec, 59);
  return static_cast<double>(days) + seconds / 86400.0;
}

void ApplySettings(std::string_view install_dir, int32_t install_variant, const TNstr& window, double now,
                   const std::function<void()>& before_replace) {
  const std::string name = ConfigFileName(install_dir);
  ConfigRecord& record = Config();
  {
    SFile file(name, kSFileRead);
    const std::vector<uint8_t> head = ReadUpTo(file, kSettingsFileSize);
    const std::size_t in_record = std::min(head.size(), kConfigRecordSize);
    std::copy_n(head.begin(), in_record, record.Bytes().begin());
    std::copy(head.begin() + in_record, head.end(), record.Tail().begin());
  }
  record.SetInstallKind(static_cast<uint8_t>(install_variant));
  for (int slot = 0; slot < 2; ++slot)
    RecordNsiChecksum(std::string(install_dir) + std::string(kNsiFiles[slot]), slot);

  if (window.RILang) record.SetInterfaceLanguage(kLangRussian);
  if (window.RDLang) record.SetDocLanguage(kLangRussian);

  uint32_t bits = record.OptionBits() & ~opt::kAllSettingsBits;
  if (window.CbAuto) {
    bits |= opt::kAutoSave;
    const uint32_t ms = TimeOfDayMs(window.AutoDtTm);
    record.SetAutoSavePeriodMs(ms / kMsPerHour * kMsPerHour + ms % kMsPerHour / kMsPerMinute * kMsPerMinute);
    record.SetAutoSaveTime(window.AutoDtTm);
  }
  record.SetU32(cfg::kFixed197, cfg::kFixed197Value);
  if (window.YesScale) bits |= opt::kScaling;
  record.SetDefaultScale(static_cast<uint32_t>(window.Scale));
  const std::pair<bool, uint32_t> checks[] = {
      {window.CBNsi, opt::kNsiNameInSearch},         {window.CBCross, opt::kCommonNumbering},
      {window.CBStk, opt::kDbnToDstu},               {window.SelNumFree, opt::kFirstFreeNumber},
      {window.CbRestoreNsiInLS, opt::kResetNsiSession}, {window.CbHeaderBld, opt::kHeadersProjects},
      {window.CbHeaderKp, opt::kHeadersKp},          {window.CbCheckUpInet, opt::kCheckUpdates},
      {window.CbHintForPos, opt::kPositionHints},
  };
  for (const auto& [checked, bit] : checks)
    if (checked) bits |= bit;
  record.SetOptionBits(bits);
  record.SetU32(cfg::kFixed250, cfg::kFixed250Value);
  record.SetSettingsMoment(now);

  std::array<uint8_t, kSettingsFileSize> out{};
  std::copy(record.Bytes().begin(), record.Bytes().end(), out.begin());
  std::copy(record.Tail().begin(), record.Tail().end(), out.begin() + kConfigRecordSize);
  ReplaceFileContents(name, out, before_replace);
}

WordSum NsiChecksum(std::string_view name) {
  WordSum total;
  WFile file(name);
  WRec rec;
  for (uint32_t n = 0; n < kNsiLogicalFiles; ++n) {
    file.OpenLogical(n);
    while (file.ReadRecord(rec)) WordChecksum(rec.data(), rec.length, total);
  }
  file.Close();
  return total;
}

void RecordNsiChecksum(std::string_view name, int index) {
  const WordSum total = NsiChecksum(name);
  const std::string resolved = ResolveName(name);
  const std::optional<uint32_t> time = platform::FileDosTime(resolved);
  if (!time) messages::RaiseSysError(resolved);
  ConfigRecord& record = Config();
  record.SetNsiWordSum(index, total.sum);
  record.SetNsiCarryCount(index, total.carries);
  record.SetNsiFileTime(index, *time);
}

bool VerifyNsiChecksum(std::string_view name, int index) {
  const WordSum total = NsiChecksum(name);
  const ConfigRecord& record = Config();
  return total.sum != record.NsiWordSum(index) || total.carries != record.NsiCarryCount(index);
}

}  // namespace tlx::store
