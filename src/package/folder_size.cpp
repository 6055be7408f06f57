#include "package/folder_size.h"

#include <vector>

#include "package/folder_list.h"
#include "platform/file.h"
#include "platform/fs.h"

namespace tlx::package {

uint64_t FolderSize(const std::string& folder) {
  if (!platform::FolderExists(folder)) return 0;
  std::vector<std::string> paths;
  ListFilesDeep(WithBackslash(folder), "*.*", paths, false);
  uint64_t total = 0;
  for (const std::string& path : paths) {
    platform::File file = platform::File::Open(
        path, {platform::Access::Read, platform::kShareNone, platform::Disposition::OpenExisting, false});
    if (!file.valid()) continue;
    const int64_t size = file.Size();
    if (size > 0) total += static_cast<uint64_t>(size);
  }
  return total;
}

void MeasureTarget(const std::string& folder, SizeMeasure& measure) {
  if (!measure.enabled) return;
  const uint64_t size = FolderSize(folder);
  if (size > measure.PeakSize) measure.PeakSize = size;
}

}  // namespace tlx::package
