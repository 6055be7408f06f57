// The Windows version check: one process-wide copy of the system's extended version record, filled
// once under a lock and shared by every TOSVers, and its classification into codes and families.
#pragma once
#include <cstdint>

#include "platform/process.h"

namespace tlx::app {

// Size fields of the record: the short query (no service pack, suite or product type) and the
// extended one.
inline constexpr uint32_t kShortVersionRecord = 148;
inline constexpr uint32_t kFullVersionRecord = 156;
// Families 1..10 are supported systems; 0 is refused.
inline constexpr int kUnsupportedFamily = 0;

// The classification code of a version record (0 for a record of size 0 or an unknown version).
// `processor_architecture` and `server_r2` are asked only for version 5.2.
uint16_t OSCode(const platform::OSVersionRecord& record, uint16_t processor_architecture, int server_r2);
// The family of a code: 1..10 for supported systems, 0 otherwise.
int OSFamily(uint16_t code);

// A user of the shared version record. The first of them fills the record (short query, then the
// extended query for codes 103..198); when the last one goes, the record is emptied so that the next
// one asks the system again. May be created from any thread.
class TOSVers {
 public:
  TOSVers();
  ~TOSVers();
  TOSVers(const TOSVers&) = delete;
  TOSVers& operator=(const TOSVers&) = delete;

  uint16_t OSCode() const;
  int OSFamily() const;
  // A copy of the shared record.
  static platform::OSVersionRecord Record();
  // Users alive now.
  static int Users();
};

}  // namespace tlx::app
