#include "tools/tlxpack/measure.h"

#include <algorithm>
#include <array>
#include <exception>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "package/clear_folder.h"
#include "package/folder_size.h"
#include "platform/child_process.h"
#include "platform/config.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "tools/tlxpack/install.h"

namespace tlx::tlxpack {

namespace {

std::string FailureText(const std::string& distribution, int variant, const std::vector<std::string>& errors) {
  std::string lines;
  for (const std::string& line : errors) {
    if (!line.empty()) lines += "\n  " + line;
  }
  return distribution + ": the measuring installation of variant " + std::to_string(variant) + " failed:" + lines;
}

// Removes the measuring installation's folder whatever happened in it.
void RemoveMeasureFolder(const std::string& folder) {
  package::ClearFolder(folder);
  platform::RemoveFolder(folder);
}

// One measuring installation in this process.
uint64_t MeasureHere(const std::string& distribution, const std::string& folder, int variant) {
  package::SizeMeasure measure;
  measure.enabled = true;
  std::vector<std::string> errors;
  try {
    errors = InstallDistribution(distribution, folder, variant, &measure);
  } catch (...) {
    RemoveMeasureFolder(folder);
    throw;
  }
  RemoveMeasureFolder(folder);
  if (!errors.empty()) throw std::runtime_error(FailureText(distribution, variant, errors));
  return measure.PeakSize;
}

// One measuring installation by `program` (`tlxpack install ... --measure`, which prints the peak
// size as its last line).
uint64_t MeasureByProgram(const std::string& program, const std::string& distribution, const std::string& folder,
                          int variant) {
  // The program has a drive map of its own: it gets the folders as the system names them.
  const std::optional<std::string> native_distribution = platform::NativePath(distribution);
  const std::optional<std::string> native_folder = platform::NativePath(folder);
  if (!native_distribution || !native_folder) throw std::runtime_error(distribution + ": no such drive");
  const std::optional<platform::ProgramResult> result = platform::RunProgram(
      {program, "install", *native_distribution, *native_folder, "--variant", std::to_string(variant), "--measure"});
  RemoveMeasureFolder(folder);
  if (!result) {
    throw std::runtime_error(program + ": cannot be started to measure the installation (" +
                             platform::SystemMessage(platform::LastError()) + ")");
  }
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < result->output.size()) {
    const size_t end = std::min(result->output.find('\n', start), result->output.size());
    lines.push_back(result->output.substr(start, end - start));
    start = end + 1;
  }
  if (result->exit_code == 0 && !lines.empty()) {
    const std::string& last = lines.back();
    if (!last.empty() && last.size() <= 20 && last.find_first_not_of("0123456789") == std::string::npos) {
      return std::stoull(last);
    }
  }
  if (result->exit_code == 0) lines.push_back("no peak size printed");
  throw std::runtime_error(FailureText(distribution, variant, lines));
}

}  // namespace

uint64_t MeasureRequiredSpace(const std::string& distribution, const std::string& work_folder, unsigned jobs,
                              const std::string& measuring_program) {
  auto folder = [&](int variant) { return work_folder + "/measure" + std::to_string(variant); };
  if (jobs < 2 || measuring_program.empty()) {
    uint64_t required = 0;
    for (int variant = 0; variant <= 1; ++variant) {
      required = std::max(required, MeasureHere(distribution, folder(variant), variant));
    }
    return required;
  }
  std::array<uint64_t, 2> peaks{};
  std::array<std::exception_ptr, 2> errors;
  std::vector<std::thread> threads;
  for (int variant = 0; variant <= 1; ++variant) {
    threads.emplace_back([&, variant] {
      try {
        peaks[variant] = MeasureByProgram(measuring_program, distribution, folder(variant), variant);
      } catch (...) {
        errors[variant] = std::current_exception();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const std::exception_ptr& error : errors) {
    if (error) std::rethrow_exception(error);
  }
  return std::max(peaks[0], peaks[1]);
}

}  // namespace tlx::tlxpack
