// The report of one file the install step has written: its path and its size in bytes.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace tlx::package {

// Called after a file is complete and closed; an empty function reports nothing.
using FileWrittenFn = std::function<void(const std::string& path, uint64_t size)>;

}  // namespace tlx::package
