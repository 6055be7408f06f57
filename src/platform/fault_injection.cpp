#include "platform/fault_injection.h"

#include <array>
#include <atomic>
#include <mutex>

namespace tlx::platform {
namespace {

// The plan is read under the mutex only while armed, so a disarmed seam costs one relaxed load.
std::atomic<bool> g_armed{false};
std::mutex g_mutex;
FaultPlan g_plan;
uint64_t g_counted = 0;
uint64_t g_injected = 0;

constexpr std::array<const char*, kFaultOpCount> kOpNames = {"create", "write", "flush", "rename", "delete", "map"};

}  // namespace

void ArmFaults(const FaultPlan& plan) {
  std::lock_guard lock(g_mutex);
  g_plan = plan;
  g_counted = 0;
  g_injected = 0;
  g_armed.store(true, std::memory_order_release);
}

void DisarmFaults() {
  std::lock_guard lock(g_mutex);
  g_armed.store(false, std::memory_order_release);
}

uint64_t FaultOpsCounted() {
  std::lock_guard lock(g_mutex);
  return g_counted;
}

uint64_t FaultsInjected() {
  std::lock_guard lock(g_mutex);
  return g_injected;
}

std::string FaultOpName(FaultOp op) {
  const auto index = static_cast<size_t>(op);
  return index < kOpNames.size() ? kOpNames[index] : "?";
}

bool InjectFault(FaultOp op) {
  if (!g_armed.load(std::memory_order_acquire)) return false;
  uint32_t error = 0;
  {
    std::lock_guard lock(g_mutex);
    if (!g_armed.load(std::memory_order_relaxed) || !(g_plan.ops & FaultBit(op))) return false;
    const uint64_t n = ++g_counted;
    const bool fails = g_plan.nth != 0 && (n == g_plan.nth || (g_plan.sticky && n > g_plan.nth));
    if (!fails) return false;
    ++g_injected;
    error = g_plan.error;
  }
  SetLastError(error);
  return true;
}

}  // namespace tlx::platform
