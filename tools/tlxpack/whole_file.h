// Whole files in one call, through the platform layer (UTF-8 names, drive paths or native paths).
#pragma once
#include <cstddef>
#include <optional>
#include <string>

namespace tlx::tlxpack {

// Writes `size` bytes to `path`, replacing it. Throws std::runtime_error naming the file on failure.
void WriteWholeFile(const std::string& path, const void* bytes, size_t size);

// The whole content of `path`; nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace tlx::tlxpack
