// The suite's process-wide configuration record: 1375 bytes of fields (the head of Cfg.tlx)
// followed by eight texts. Zero-filled when the process starts; lives until exit. Integers are
// little-endian.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tlx::config {

inline constexpr std::size_t kConfigRecordSize = 1375;
inline constexpr std::size_t kConfigTextCount = 8;
// The settings step keeps the 32 bytes after the record (the start of the text area) unchanged, so
// Cfg.tlx as it writes it is 1407 bytes long.
inline constexpr std::size_t kConfigTailSize = 32;
inline constexpr std::size_t kSettingsFileSize = kConfigRecordSize + kConfigTailSize;

// Language bytes 22 and 23: 1 Russian, 0 Ukrainian.
inline constexpr uint8_t kLangUkrainian = 0;
inline constexpr uint8_t kLangRussian = 1;

// Byte offsets of the fields the program reads or writes.
namespace cfg {
inline constexpr std::size_t kOptionBits = 0;          // 4 bytes
inline constexpr std::size_t kDocLanguage = 22;        // 1 byte
inline constexpr std::size_t kInterfaceLanguage = 23;  // 1 byte
inline constexpr std::size_t kAutoSavePeriodMs = 24;   // 4 bytes
inline constexpr std::size_t kAutoSaveTime = 28;       // 8 bytes, day count since 1899-12-30
inline constexpr std::size_t kVersionText = 36;        // up to 14 bytes, zero-terminated
inline constexpr std::size_t kVersionTextSize = 14;
inline constexpr std::size_t kSettingsMoment = 50;  // 8 bytes, day count
inline constexpr std::size_t kInstallKind = 116;    // 1 byte
inline constexpr std::size_t kNsiWordSum = 117;     // 2 x 4 bytes (Ukrainian, Russian)
inline constexpr std::size_t kNsiCarryCount = 125;  // 2 x 4 bytes
inline constexpr std::size_t kNsiFileTime = 133;    // 2 x 4 bytes, packed file-system date-time
inline constexpr std::size_t kDefaultScale = 159;   // 4 bytes, index 0..4 (50..150 %)
inline constexpr std::size_t kFixed197 = 197;       // 4 bytes, written as 31
inline constexpr std::size_t kFixed250 = 250;       // 4 bytes, written as 5, 0, 0, 0
inline constexpr uint32_t kFixed197Value = 31;
inline constexpr uint32_t kFixed250Value = 5;       // little-endian: bytes 5, 0, 0, 0
}  // namespace cfg

// Option bits of the dword at offset 0 set by the settings step.
namespace opt {
inline constexpr uint32_t kNsiNameInSearch = 0x00000040;
inline constexpr uint32_t kDbnToDstu = 0x00000100;
inline constexpr uint32_t kScaling = 0x00000800;
inline constexpr uint32_t kCommonNumbering = 0x00010000;
inline constexpr uint32_t kFirstFreeNumber = 0x00020000;
inline constexpr uint32_t kAutoSave = 0x00040000;
inline constexpr uint32_t kCheckUpdates = 0x00100000;
inline constexpr uint32_t kHeadersProjects = 0x00200000;
inline constexpr uint32_t kResetNsiSession = 0x00400000;
inline constexpr uint32_t kHeadersKp = 0x02000000;
inline constexpr uint32_t kPositionHints = 0x20000000;
inline constexpr uint32_t kAllSettingsBits = 0x22770940;
}  // namespace opt

// The record. Out-of-range offsets are programming errors and throw std::out_of_range.
class ConfigRecord {
 public:
  std::span<uint8_t, kConfigRecordSize> Bytes() { return bytes_; }
  std::span<const uint8_t, kConfigRecordSize> Bytes() const { return bytes_; }
  // The opaque 32 bytes that follow the record in Cfg.tlx (zero-filled at start).
  std::array<uint8_t, kConfigTailSize>& Tail() { return tail_; }
  const std::array<uint8_t, kConfigTailSize>& Tail() const { return tail_; }
  std::array<std::string, kConfigTextCount>& Texts() { return texts_; }
  const std::array<std::string, kConfigTextCount>& Texts() const { return texts_; }

  // Zero-fills the bytes and the tail and empties the texts (the state at process start).
  void Clear();

  uint8_t U8(std::size_t offset) const;
  void SetU8(std::size_t offset, uint8_t value);
  uint32_t U32(std::size_t offset) const;
  void SetU32(std::size_t offset, uint32_t value);
  double F64(std::size_t offset) const;
  void SetF64(std::size_t offset, double value);

  uint8_t DocLanguage() const { return U8(cfg::kDocLanguage); }
  void SetDocLanguage(uint8_t lang) { SetU8(cfg::kDocLanguage, lang); }
  uint8_t InterfaceLanguage() const { return U8(cfg::kInterfaceLanguage); }
  void SetInterfaceLanguage(uint8_t lang) { SetU8(cfg::kInterfaceLanguage, lang); }
  uint32_t OptionBits() const { return U32(cfg::kOptionBits); }
  void SetOptionBits(uint32_t bits) { SetU32(cfg::kOptionBits, bits); }
  uint32_t AutoSavePeriodMs() const { return U32(cfg::kAutoSavePeriodMs); }
  void SetAutoSavePeriodMs(uint32_t ms) { SetU32(cfg::kAutoSavePeriodMs, ms); }
  double AutoSaveTime() const { return F64(cfg::kAutoSaveTime); }
  void SetAutoSaveTime(double days) { SetF64(cfg::kAutoSaveTime, days); }
  // The version text up to its first zero byte (at most 14 bytes), as stored (code page 1251).
  std::string VersionText() const;
  double SettingsMoment() const { return F64(cfg::kSettingsMoment); }
  void SetSettingsMoment(double days) { SetF64(cfg::kSettingsMoment, days); }
  uint8_t InstallKind() const { return U8(cfg::kInstallKind); }
  void SetInstallKind(uint8_t kind) { SetU8(cfg::kInstallKind, kind); }
  // index 0: userukr.nsi, 1: userrus.nsi; other indexes throw std::out_of_range.
  uint32_t NsiWordSum(int index) const { return U32(NsiSlot(cfg::kNsiWordSum, index)); }
  void SetNsiWordSum(int index, uint32_t v) { SetU32(NsiSlot(cfg::kNsiWordSum, index), v); }
  uint32_t NsiCarryCount(int index) const { return U32(NsiSlot(cfg::kNsiCarryCount, index)); }
  void SetNsiCarryCount(int index, uint32_t v) { SetU32(NsiSlot(cfg::kNsiCarryCount, index), v); }
  uint32_t NsiFileTime(int index) const { return U32(NsiSlot(cfg::kNsiFileTime, index)); }
  void SetNsiFileTime(int index, uint32_t v) { SetU32(NsiSlot(cfg::kNsiFileTime, index), v); }
  uint32_t DefaultScale() const { return U32(cfg::kDefaultScale); }
  void SetDefaultScale(uint32_t index) { SetU32(cfg::kDefaultScale, index); }

 private:
  static std::size_t NsiSlot(std::size_t base, int index);
  void Check(std::size_t offset, std::size_t width) const;

  std::array<uint8_t, kConfigRecordSize> bytes_{};
  std::array<uint8_t, kConfigTailSize> tail_{};
  std::array<std::string, kConfigTextCount> texts_;
};

// The process-wide record (zero-filled at start).
ConfigRecord& Config();

}  // namespace tlx::config
