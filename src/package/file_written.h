// The reports of the install step: a file written (its path and size in bytes), a folder created.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace tlx::package {

// Called after a file is complete and closed; an empty function reports nothing.
using FileWrittenFn = std::function<void(const std::string& path, uint64_t size)>;

// Called for each folder the install step created; an empty function reports nothing.
using FolderCreatedFn = std::function<void(const std::string& path)>;

}  // namespace tlx::package
