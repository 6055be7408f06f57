#include "tools/tlxpack/whole_file.h"

#include <stdexcept>

#include "platform/file.h"

namespace tlx::tlxpack {

void WriteWholeFile(const std::string& path, const void* bytes, size_t size) {
  platform::OpenOptions options;
  options.access = platform::Access::Write;
  options.disposition = platform::Disposition::CreateAlways;
  platform::File file = platform::File::Open(path, options);
  uint32_t done = 0;
  if (!file.valid() || (size > 0 && (!file.Write(bytes, static_cast<uint32_t>(size), &done) || done != size)) ||
      !file.Close()) {
    throw std::runtime_error(path + ": cannot be written");
  }
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  platform::File file = platform::File::Open(path, {});
  if (!file.valid()) return std::nullopt;
  const int64_t size = file.Size();
  if (size < 0 || size > int64_t{0x7FFFFFFF}) return std::nullopt;
  std::string bytes(static_cast<size_t>(size), '\0');
  uint32_t done = 0;
  if (size > 0 && (!file.Read(bytes.data(), static_cast<uint32_t>(size), &done) || done != bytes.size())) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace tlx::tlxpack
