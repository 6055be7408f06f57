#include "support/files.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tlx::test {

namespace {
std::filesystem::path FsPath(const std::string& p) {
  return std::filesystem::path(std::u8string(p.begin(), p.end()));
}
}  // namespace

void WriteNativeFile(const std::string& native_path, std::string_view bytes) {
  auto path = FsPath(native_path);
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadNativeFile(const std::string& native_path) {
  std::ifstream in(FsPath(native_path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool NativeExists(const std::string& native_path) {
  std::error_code ec;
  return std::filesystem::exists(FsPath(native_path), ec);
}

}  // namespace tlx::test
