// The desktop and shell links on POSIX: the desktop folder from the configuration, links written
// and read in the documented binary format.
#include "platform/config.h"
#include "platform/error.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/lnk_format.h"
#include "platform/shell.h"

namespace tlx::platform {

namespace {
constexpr int64_t kLargestLink = 1 << 20;  // real links are a few hundred bytes
}

std::optional<std::string> DesktopFolderFromRegistry() {
  const auto& desktop = CurrentConfig().desktop_folder;
  if (!desktop || desktop->empty()) {
    SetLastError(err::kFileNotFound);
    return std::nullopt;
  }
  return desktop;
}

bool WriteShellLink(const std::string& lnk_path, const ShellLink& link) {
  const auto bytes = lnk::EncodeShellLink(link);
  if (!bytes) {
    SetLastError(err::kInvalidParameter);
    return false;
  }
  File file = File::Open(lnk_path, {Access::Write, kShareNone, Disposition::CreateAlways, false});
  if (!file.valid()) return false;
  uint32_t done = 0;
  if (file.Write(bytes->data(), static_cast<uint32_t>(bytes->size()), &done) && done == bytes->size() &&
      file.Close()) {
    return true;
  }
  // No half-written link stays on the desktop.
  const uint32_t error = LastError() == err::kSuccess ? err::kDiskFull : LastError();
  file = File();
  DeleteFile(lnk_path);
  SetLastError(error);
  return false;
}

std::optional<ShellLink> ReadShellLink(const std::string& lnk_path) {
  File file = File::Open(lnk_path, {Access::Read, kShareRead, Disposition::OpenExisting, false});
  if (!file.valid()) return std::nullopt;
  const int64_t size = file.Size();
  if (size < 0) return std::nullopt;
  if (size > kLargestLink) {
    SetLastError(err::kInvalidParameter);
    return std::nullopt;
  }
  std::string bytes(static_cast<size_t>(size), '\0');
  uint32_t done = 0;
  if (!file.Read(bytes.data(), static_cast<uint32_t>(bytes.size()), &done)) return std::nullopt;
  bytes.resize(done);
  auto link = lnk::DecodeShellLink(bytes);
  if (!link) SetLastError(err::kInvalidParameter);
  return link;
}

void NotifyDesktopChanged() {}

}  // namespace tlx::platform
