// Deterministic sample contents for the volume tests: compressible text, noise, and machine-code-like bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tlx::test {

using Bytes = std::vector<uint8_t>;

// Repetitive Cyrillic-and-Latin text with numbers: compresses well, like the suite's tables.
Bytes TextSample(size_t size, uint32_t seed = 1);
// Uniform pseudo-random bytes: does not compress.
Bytes NoiseSample(size_t size, uint32_t seed = 2);
// Bytes weighted to E8, E9, 00 and FF, so that the x86 conversion meets every case of its rule.
Bytes BranchSample(size_t size, uint32_t seed = 3);

inline std::string AsString(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }
inline Bytes AsBytes(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace tlx::test
