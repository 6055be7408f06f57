// A test seam of the platform layer: the Nth file-system operation of chosen kinds fails with a
// chosen Windows error, as a full disk, a refused access, a file held by another program or a
// vanished folder would make it fail. Tests arm it around a whole operation and run that operation
// failing at N = 1, 2, 3 ... until it succeeds. Disarmed (the default) it costs one atomic load per
// operation. The POSIX layer consults it; the Win32 layer does not.
#pragma once
#include <cstdint>
#include <string>

#include "platform/error.h"

namespace tlx::platform {

// The operations the seam counts.
//   kCreate  a file created or cut by File::Open, Mapping::CreateReadWrite, CopyFile's target, a folder
//   kWrite   File::Write, File::SetEnd, File::Reserve, the bytes of CopyFile
//   kFlush   File::Flush, Mapping::Flush
//   kRename  MoveFile
//   kDelete  DeleteFile, RemoveFolder
//   kMap     every Mapping made (of a file, or anonymous memory)
enum class FaultOp : uint8_t { kCreate, kWrite, kFlush, kRename, kDelete, kMap };
inline constexpr int kFaultOpCount = 6;

constexpr uint32_t FaultBit(FaultOp op) { return 1u << static_cast<uint32_t>(op); }
inline constexpr uint32_t kAllFaultOps = (1u << kFaultOpCount) - 1;

// Which operations fail, and how.
struct FaultPlan {
  uint32_t ops = kAllFaultOps;       // FaultBit()s of the operations counted
  uint64_t nth = 0;                  // the counted operation that fails first, from 1; 0: none fails
  uint32_t error = err::kDiskFull;   // LastError of a failed operation
  bool sticky = false;               // every counted operation after the Nth fails too (a disk stays full)
};

// Arms `plan` for the whole process, replacing any earlier one; the counters start at 0.
void ArmFaults(const FaultPlan& plan);
// Nothing fails any more; the counters keep their values.
void DisarmFaults();
// Counted operations and injected failures since the last ArmFaults.
uint64_t FaultOpsCounted();
uint64_t FaultsInjected();
// The operation kind's name ("create", "write", ...), for test messages.
std::string FaultOpName(FaultOp op);

// Arms a plan for its lifetime and disarms on every way out.
class ScopedFaults {
 public:
  explicit ScopedFaults(const FaultPlan& plan) { ArmFaults(plan); }
  ~ScopedFaults() { DisarmFaults(); }
  ScopedFaults(const ScopedFaults&) = delete;
  ScopedFaults& operator=(const ScopedFaults&) = delete;
};

// For the platform layer's implementations: counts one operation of kind `op` and says whether it
// must fail; when it must, LastError already holds the plan's error.
bool InjectFault(FaultOp op);

}  // namespace tlx::platform
