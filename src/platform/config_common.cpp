// The parts of the configuration every build shares: drive items, the default version record, the
// environment variables of the native command-line programs.
#include <cstdlib>
#include <cstring>

#include "platform/config.h"

namespace tlx::platform {

namespace {

struct TypeName {
  const char* name;
  DriveType type;
  bool has_medium;
};
constexpr TypeName kTypeNames[] = {
    {"fixed", DriveType::Fixed, true},
    {"removable", DriveType::Removable, true},
    {"cdrom", DriveType::CdRom, true},
    {"remote", DriveType::Remote, true},
    {"ramdisk", DriveType::RamDisk, true},
    {"unknown", DriveType::Unknown, true},
    {"removable-no-medium", DriveType::Removable, false},
    {"cdrom-no-medium", DriveType::CdRom, false},
};

const TypeName* FindType(const std::string& name) {
  for (const TypeName& t : kTypeNames) {
    if (name == t.name) return &t;
  }
  return nullptr;
}

std::optional<uint64_t> ParseDecimal(const std::string& text) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace

std::optional<DriveConfig> ParseDrive(const std::string& item, std::string* error) {
  auto fail = [&](const std::string& what) -> std::optional<DriveConfig> {
    if (error) *error = "drive item \"" + item + "\": " + what;
    return std::nullopt;
  };
  if (item.size() < 2 || item[1] != '=') return fail("expected LETTER=DIR[:TYPE[:FREE]]");
  const char letter = static_cast<char>(item[0] | 0x20);
  if (letter < 'a' || letter > 'z') return fail("the drive letter must be A to Z");

  // The folder may itself hold colons: TYPE and FREE are recognised from the right.
  std::string rest = item.substr(2);
  DriveConfig drive;
  drive.letter = letter;
  std::optional<uint64_t> free_bytes;
  const TypeName* type = nullptr;
  size_t last = rest.rfind(':');
  if (last != std::string::npos) {
    const std::string tail = rest.substr(last + 1);
    if (const TypeName* t = FindType(tail)) {
      type = t;
      rest.resize(last);
    } else if (auto number = ParseDecimal(tail)) {
      const size_t before = rest.rfind(':', last - (last > 0 ? 1 : 0));
      const TypeName* t2 = (before != std::string::npos && last > 0)
                               ? FindType(rest.substr(before + 1, last - before - 1))
                               : nullptr;
      if (!t2) return fail("a free-space figure must follow a drive type");
      type = t2;
      free_bytes = number;
      rest.resize(before);
    } else if (tail.find('/') == std::string::npos && !tail.empty()) {
      return fail("unknown drive type \"" + tail + "\"");
    }
  }
  if (type) {
    drive.type = type->type;
    drive.has_medium = type->has_medium;
  }
  drive.free_bytes = free_bytes;
  drive.folder = rest;
  if (drive.has_medium && drive.folder.empty()) return fail("a drive with a medium needs a folder");
  if (!drive.has_medium) drive.folder.clear();
  return drive;
}

OSVersionRecord DefaultOSVersion() {
  OSVersionRecord record;
  record.major = 6;
  record.minor = 1;
  record.build = 7601;
  record.platform_id = 2;
  std::strcpy(record.service_pack_text, "Service Pack 1");
  record.service_pack_major = 1;
  record.service_pack_minor = 0;
  record.suite_mask = 0x100;  // VER_SUITE_SINGLEUSERTS, as a workstation reports it
  record.product_type = 1;
  return record;
}

bool ConfigureFromEnvironment(std::string* error) {
  const char* drives = std::getenv("TLX_DRIVES");
  const char* desktop = std::getenv("TLX_DESKTOP");
  const char* windows = std::getenv("TLX_WINDOWS");
  const char* registry = std::getenv("TLX_REGISTRY");
  if (!drives && !desktop && !windows && !registry) return true;

  PlatformConfig config = CurrentConfig();
  if (drives) {
    config.drives.clear();
    std::string list = drives;
    size_t start = 0;
    while (start <= list.size()) {
      size_t end = list.find(';', start);
      if (end == std::string::npos) end = list.size();
      const std::string item = list.substr(start, end - start);
      if (!item.empty()) {
        auto drive = ParseDrive(item, error);
        if (!drive) return false;
        std::erase_if(config.drives, [&](const DriveConfig& d) { return d.letter == drive->letter; });
        config.drives.push_back(*drive);
      }
      start = end + 1;
    }
  }
  if (desktop) {
    if (*desktop) {
      config.desktop_folder = desktop;
    } else {
      config.desktop_folder.reset();
    }
  }
  if (windows && *windows) config.windows_folder = windows;
  if (registry && *registry) config.registry_file = registry;
  if (!Configure(config)) {
    if (error) *error = "TLX_DRIVES, TLX_DESKTOP, TLX_WINDOWS and TLX_REGISTRY apply to the native programs only";
    return false;
  }
  return true;
}

}  // namespace tlx::platform
