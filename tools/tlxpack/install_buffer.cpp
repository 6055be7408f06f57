#include "tools/tlxpack/install_buffer.h"

#include <stdexcept>
#include <string>

#include "package/distribution_writer.h"
#include "package/manifest_line.h"
#include "store/record_format.h"

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

void CheckInstallBufferRoom(int group, const std::vector<InstallUnit>& units) {
  // The buffer's header and a record per manifest line, besides the data; each stored file takes its
  // bytes, a record head per record of at most MaxRecordLength bytes, and its closing record.
  uint64_t total = store::kCompoundHeaderSize;
  for (const InstallUnit& unit : units) {
    for (const PayloadFile& file : unit.files) {
      const uint64_t records = (file.size + store::MaxRecordLength - 1) / store::MaxRecordLength;
      total += store::kDirectoryEntrySize + store::kRecordHeadSize + file.name.size() + 16;  // its line
      total += file.size + records * store::kRecordHeadSize + store::kRecordHeadSize + 1;
      if (total > kMaxInstallBufferSize) {
        const std::string why = file.size > kMaxInstallBufferSize
                                    ? std::to_string(file.size) + " bytes, more than one install buffer holds"
                                    : "with this file the files of group " + std::to_string(group) +
                                          " no longer fit one install buffer";
        throw std::runtime_error(file.source + ": " + why + " (at most " +
                                 std::to_string(kMaxInstallBufferSize) + " bytes)");
      }
    }
  }
}

void BuildInstallBuffer(const std::string& path, int group, const std::vector<InstallUnit>& units,
                        const std::function<void(uint64_t bytes)>& on_file) {
  CheckInstallBufferRoom(group, units);
  const std::vector<uint32_t> logical = AssignLogicalFiles(units.size());
  std::vector<package::StoredFile> files;
  for (size_t u = 0; u < units.size(); ++u) {
    for (const PayloadFile& file : units[u].files) {
      package::StoredFile stored;
      stored.line = {logical[u], file.folder, file.name, file.variant};
      stored.source = file.source;
      stored.size = file.size;
      files.push_back(std::move(stored));
    }
  }
  package::WriteInstallBuffer(path, group, files, [&](const package::StoredFile& file) {
    if (on_file) on_file(file.size);
  });
}

}  // namespace tlx::tlxpack
