// Replacing a configuration file as one step: the new contents are written beside it, flushed to
// the disk and then renamed over it, so a failure on the way never leaves a truncated file behind.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace tlx::store {

// The name the new contents of `resolved` are written under before the rename.
std::string ReplacementName(std::string_view resolved);

// Replaces the file `name` (passed through ResolveName) by exactly `bytes`. `before_replace`, when
// given, runs after the new contents are on the disk and before the rename (a test seam for a
// failure at that point). Raises the errors of SFile for the new file and RaiseSysError(name) when
// the rename fails (a read-only or locked file); the old file is then unchanged and the new one
// removed.
void ReplaceFileContents(std::string_view name, std::span<const uint8_t> bytes,
                         const std::function<void()>& before_replace = {});

}  // namespace tlx::store
