#include "tools/tlxpack/install_buffer.h"

#include <stdexcept>

#include "package/distribution_writer.h"
#include "package/manifest_line.h"

namespace tlx::tlxpack {

std::vector<uint32_t> AssignLogicalFiles(size_t unit_count) {
  constexpr size_t kRuns = package::kMaxManifestNumber;
  std::vector<uint32_t> logical(unit_count);
  for (size_t u = 0; u < unit_count; ++u) {
    // Unit u lies in run j when floor(j * n / 99) <= u < floor((j + 1) * n / 99); with n <= 99 that
    // is run u itself.
    logical[u] = static_cast<uint32_t>(unit_count <= kRuns ? u + 1 : (u * kRuns + kRuns - 1) / unit_count + 1);
  }
  return logical;
}

void BuildInstallBuffer(const std::string& path, int group, const std::vector<InstallUnit>& units,
                        const std::function<void(uint64_t bytes)>& on_file) {
  const std::vector<uint32_t> logical = AssignLogicalFiles(units.size());
  std::vector<package::StoredFile> files;
  for (size_t u = 0; u < units.size(); ++u) {
    for (const PayloadFile& file : units[u].files) {
      package::StoredFile stored;
      stored.line = {logical[u], file.folder, file.name, file.variant};
      stored.data = package::ReadWholeFile(file.source);
      if (stored.data.size() != file.size) {
        throw std::runtime_error(file.source + ": changed while the distribution was built");
      }
      files.push_back(std::move(stored));
      if (on_file) on_file(file.size);
    }
  }
  package::WriteInstallBuffer(path, group, files);
}

}  // namespace tlx::tlxpack
