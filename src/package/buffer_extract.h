// Writing out the files of an install buffer: the manifest (logical file 0) and the data logical
// files. Inside a data logical file the first record is skipped; then type-2 records carry the next
// bytes of the current stored file, a type-0 record ends it, other types are ignored, and the end
// marker ends the data. Several manifest lines may name one logical file: each takes the records up
// to the next type-0 record, in manifest order, whether or not it is installed.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "package/file_written.h"
#include "package/manifest_check.h"
#include "package/manifest_line.h"

namespace tlx::store {
class WFile;
class WRec;
}  // namespace tlx::store

namespace tlx::package {

// Where a group's files go.
struct ExtractTarget {
  std::string install_dir;  // without trailing backslash
  int group = 0;            // 0 common folders, 1 \Ukr, 2 \Rus
  int variant = 0;          // lines tagged with another variant are not installed
};

// Reads logical file 0 of `buffer`, one line per record (code page 1251), trimmed, empty lines left
// out, every line checked (ParseManifestLine for `group`). Raises ZError 0 naming the buffer, the
// line's number and text and what is wrong, before anything is written.
std::vector<NumberedLine> ReadManifest(store::WFile& buffer, int group);

// Writes out `lines` (the manifest lines naming logical file `logical`, in manifest order) into their
// folders below target.install_dir (an existing file is replaced only when the user agrees). `record` is the caller's record
// buffer. Raises the file layer's errors (a missing target folder among them), the ZError of
// RequireNoLinksBelow when a target runs through a link, and ZError 0 naming the buffer and the line
// when the chain has no records left for a line (it is never written as an empty file); a file
// whose records cannot be read whole is deleted before the error goes on. `written` hears of each
// file once it is closed.
void ExtractBufferFile(store::WFile& buffer, uint32_t logical, const ExtractTarget& target,
                       const std::vector<const NumberedLine*>& lines, store::WRec& record,
                       const FileWrittenFn& written = {});

// The whole extraction of an opened install buffer: ReadManifest, then FindManifestContradictions
// (the first one raised as ZError 0 by ContradictionText, before anything is written), then
// ExtractBufferFile for each logical file 1..N-1 whose recorded size is not 8, matching lines to
// logical files in one pass. `next_logical` hears of each such logical file before it is read.
void ExtractInstallBuffer(store::WFile& buffer, const ExtractTarget& target, store::WRec& record,
                          const std::function<void()>& next_logical = {}, const FileWrittenFn& written = {});

}  // namespace tlx::package
