#include "app/os_version.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <optional>

namespace tlx::app {
namespace {

constexpr uint32_t kPlatform9x = 1;
constexpr uint32_t kPlatformNT = 2;
constexpr uint32_t kPlatformCE = 3;
constexpr uint8_t kWorkstation = 1;
constexpr uint8_t kServer = 3;
constexpr uint16_t kHomeServerSuite = 0x8000;
constexpr uint16_t kArchitectureAmd64 = 9;

// Windows 9x: version 4.minor, told apart by the low word of the build number.
struct BuildRow {
  uint32_t minor_first, minor_last;
  uint16_t build_first, build_last;
  uint16_t code;
};
constexpr BuildRow k9xRows[] = {
    {0, 9, 950, 950, 1},      {0, 9, 951, 1080, 2},      {0, 9, 1081, 0xFFFF, 3},
    {10, 10, 1998, 1998, 4},  {10, 10, 1999, 2182, 5},   {10, 10, 2183, 0xFFFF, 6},
    {90, 90, 0, 0xFFFF, 7},
};

// Windows NT by major.minor; `tested_type` 0 gives `code` whatever the product type, otherwise
// `code` when the product type equals it and `other` when not. 5.2 has its own rules.
struct NTRow {
  uint32_t major, minor;
  uint8_t tested_type;
  uint16_t code, other;
};
constexpr NTRow kNTRows[] = {
    {3, 51, 0, 101, 101},           {4, 0, 0, 102, 102},
    {5, 0, kServer, 104, 103},      {5, 1, 0, 105, 105},
    {6, 0, kWorkstation, 111, 112}, {6, 1, kWorkstation, 120, 113},
    {6, 2, kWorkstation, 130, 131}, {6, 3, kWorkstation, 130, 131},
    {10, 0, 0, 135, 135},
};

struct FamilyRow {
  uint16_t first, last;
  int family;
};
constexpr FamilyRow kFamilies[] = {
    {4, 7, 1},     {102, 102, 2}, {103, 104, 3}, {105, 107, 4},  {108, 110, 5},
    {111, 111, 6}, {112, 113, 7}, {120, 120, 8}, {130, 131, 9}, {135, 135, 10},
};
static_assert(std::size(kFamilies) == 10, "one row per supported family");

// The extended query is repeated for these codes: they depend on the product type or suite mask.
constexpr uint16_t kRequeryFirst = 103;
constexpr uint16_t kRequeryLast = 198;

std::mutex& Lock() {
  static std::mutex lock;
  return lock;
}
platform::OSVersionRecord& Shared() {
  static platform::OSVersionRecord record{};
  return record;
}
std::atomic<int>& Count() {
  static std::atomic<int> count{0};
  return count;
}

// The system's answer cut to `size` bytes, as a query with that record size fills it.
platform::OSVersionRecord Query(uint32_t size) {
  const std::optional<platform::OSVersionRecord> answer = platform::QueryOSVersion();
  if (!answer) {
    platform::OSVersionRecord failed{};
    failed.size = 0;
    return failed;
  }
  platform::OSVersionRecord record = *answer;
  record.size = size;
  if (size < kFullVersionRecord) {
    // The short record ends after the service-pack text.
    record.service_pack_major = record.service_pack_minor = 0;
    record.suite_mask = 0;
    record.product_type = record.reserved = 0;
  }
  return record;
}

uint16_t Classify(const platform::OSVersionRecord& record) {
  return OSCode(record, platform::ProcessorArchitecture(), platform::ServerR2Metric());
}

}  // namespace

uint16_t OSCode(const platform::OSVersionRecord& record, uint16_t processor_architecture, int server_r2) {
  if (record.size == 0) return 0;
  const uint16_t build = static_cast<uint16_t>(record.build & 0xFFFF);
  switch (record.platform_id) {
    case kPlatform9x:
      if (record.major != 4) return 0;
      for (const BuildRow& row : k9xRows)
        if (record.minor >= row.minor_first && record.minor <= row.minor_last && build >= row.build_first &&
            build <= row.build_last)
          return row.code;
      return 0;
    case kPlatformNT:
      if (record.major == 5 && record.minor == 2) {
        if (record.product_type == kWorkstation) {
          if (record.suite_mask == kHomeServerSuite) return 107;
          return processor_architecture == kArchitectureAmd64 ? 106 : 105;
        }
        return server_r2 != 0 ? 110 : 109;
      }
      for (const NTRow& row : kNTRows)
        if (record.major == row.major && record.minor == row.minor)
          return row.tested_type == 0 || record.product_type == row.tested_type ? row.code : row.other;
      return 0;
    case kPlatformCE:
      return 201;
    default:
      return 0;
  }
}

int OSFamily(uint16_t code) {
  for (const FamilyRow& row : kFamilies)
    if (code >= row.first && code <= row.last) return row.family;
  return kUnsupportedFamily;
}

TOSVers::TOSVers() {
  if (Count().load() == 0) {
    std::lock_guard<std::mutex> guard(Lock());
    platform::OSVersionRecord record = Query(kShortVersionRecord);
    if (record.size != 0) {
      const uint16_t code = Classify(record);
      if (code >= kRequeryFirst && code <= kRequeryLast) record = Query(kFullVersionRecord);
    }
    Shared() = record;
  }
  ++Count();
}

TOSVers::~TOSVers() {
  int current = Count().load();
  if (current != 0 && --Count() == 0) {
    std::lock_guard<std::mutex> guard(Lock());
    Shared().size = 0;
    Count() = 0;
  }
}

uint16_t TOSVers::OSCode() const { return Classify(Record()); }

int TOSVers::OSFamily() const { return app::OSFamily(OSCode()); }

platform::OSVersionRecord TOSVers::Record() {
  std::lock_guard<std::mutex> guard(Lock());
  return Shared();
}

int TOSVers::Users() { return Count().load(); }

}  // namespace tlx::app
