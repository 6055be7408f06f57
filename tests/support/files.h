// Small file helpers for tests, on native paths (std::filesystem), independent of the code under test.
#pragma once
#include <string>
#include <string_view>

namespace tlx::test {

void WriteNativeFile(const std::string& native_path, std::string_view bytes);
std::string ReadNativeFile(const std::string& native_path);  // empty when missing
bool NativeExists(const std::string& native_path);

}  // namespace tlx::test
