#include "store/settings_file.h"

#include "messages/zerror.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "store/aliases.h"
#include "store/sfile.h"

namespace tlx::store {

std::string ReplacementName(std::string_view resolved) { return std::string(resolved) + ".new"; }

void ReplaceFileContents(std::string_view name, std::span<const uint8_t> bytes,
                         const std::function<void()>& before_replace) {
  const std::string target = ResolveName(name);
  const std::string fresh = ReplacementName(target);
  // A read-only file is refused as opening it for writing would be, on every system alike.
  const std::optional<uint32_t> attributes = platform::Attributes(target);
  if (attributes && (*attributes & platform::attr::kReadOnly) != 0) {
    platform::SetLastError(platform::err::kAccessDenied);
    messages::RaiseSysError(target);
  }
  try {
    SFile file(fresh, kSFileCreateReplace);
    if (!bytes.empty()) file.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    file.Flush();
    file.Close();
    if (before_replace) before_replace();
    if (!platform::MoveFile(fresh, target, /*replace=*/true)) {
      const uint32_t error = platform::LastError();
      platform::DeleteFile(fresh);
      platform::SetLastError(error);
      messages::RaiseSysError(target);
    }
  } catch (...) {
    platform::DeleteFile(fresh);
    throw;
  }
}

}  // namespace tlx::store
