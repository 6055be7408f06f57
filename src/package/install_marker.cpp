#include "package/install_marker.h"

#include <string_view>
#include <vector>

#include "package/suite_identity.h"
#include "platform/error.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "store/settings_file.h"

namespace tlx::package {

namespace {

constexpr uint32_t kMaxMarkerSize = 4096;
constexpr char kMarkerNote[] =
    "Установка программного комплекса ТЛК 5 (редакция 3.2.0) в эту папку не завершена; "
    "следующая установка в эту папку сначала очистит её.";

std::string MarkerPath(const std::string& folder) { return folder + "\\" + kInstallMarkerName; }

std::string MarkerHead() { return std::string(kProductCode) + "\r\nVersion=" + kSuiteVersion + "\r\n"; }

bool IsPlain(const std::string& path, uint32_t kind) {
  const auto attributes = platform::Attributes(path);
  return attributes && (*attributes & platform::attr::kReparsePoint) == 0 &&
         (*attributes & platform::attr::kDirectory) == kind;
}

}  // namespace

void WriteInstallMarker(const std::string& install_dir) {
  // The note is stored in code page 1251, as the suite's texts are.
  const std::string text = MarkerHead() + platform::Utf8ToCp1251Lossy(kMarkerNote).value_or("") + "\r\n";
  store::ReplaceFileContents(MarkerPath(install_dir),
                             std::vector<uint8_t>(text.begin(), text.end()));
}

bool HoldsInstallMarker(const std::string& folder) {
  const std::string path = MarkerPath(folder);
  if (!IsPlain(folder, platform::attr::kDirectory) || !IsPlain(path, 0)) return false;
  platform::File file = platform::File::Open(path, platform::OpenOptions{});
  if (!file.valid()) return false;
  const std::string head = MarkerHead();
  std::string bytes(kMaxMarkerSize, '\0');
  uint32_t done = 0;
  if (!file.Read(bytes.data(), kMaxMarkerSize, &done)) return false;
  bytes.resize(done);
  return bytes.compare(0, head.size(), head) == 0;
}

bool RemoveInstallMarker(const std::string& install_dir) {
  const std::string path = MarkerPath(install_dir);
  if (!platform::Attributes(path)) {
    const uint32_t error = platform::LastError();
    return error == platform::err::kFileNotFound || error == platform::err::kPathNotFound;
  }
  return platform::DeleteFile(path);
}

}  // namespace tlx::package
