// Running another program to its end and collecting what it prints: the distribution builder
// signs and checks signatures with a separate signing tool this way.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tlx::platform {

// What a finished program left.
struct ProgramResult {
  int exit_code = 0;
  std::string output;  // standard output and standard error together, cut at kMaxProgramOutput
};

inline constexpr size_t kMaxProgramOutput = 1u << 20;

// Runs `args[0]` (looked up on the search path) with the other arguments passed as they are, no
// standard input, and waits for it. nullopt (LastError set) when it cannot be started; a program
// ended by a signal counts as exit code 128 + the signal.
std::optional<ProgramResult> RunProgram(const std::vector<std::string>& args);

}  // namespace tlx::platform
