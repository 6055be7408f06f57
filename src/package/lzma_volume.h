// File operations on volume containers: unpacking a volume into a file (what the installer does), and
// packing a file into a volume on disk or in memory (what the distribution tool does). No operation
// raises: each reports success by a non-zero result, and a failed UnpackFile or PackFile leaves no
// output file behind. Single-threaded: the progress callback lives in one process-wide slot.
#pragma once
#include <cstdint>
#include <string>

#include "package/lzma_codec.h"
#include "platform/mapping.h"

namespace tlx::package {

// Progress callback of the volume operations. `adapter` is null in the first call of an operation and
// the module's coder adapter afterwards. Only the calls made while encoding heed the result: non-zero
// stops the encoding and the packing fails.
//   unpacking: (user, null, unpacked size, 0) once the header is read; (user, adapter, bytes produced,
//              0) after every decoding pass and once more after decoding.
//   packing:   (user, null, input size, 0); (user, adapter, input consumed, output produced) while
//              encoding; (user, adapter, input size, packed size or 0 on failure) after encoding.
using LzmaCallback = int (*)(uint32_t user, CodecProgress* adapter, uint64_t first, uint64_t second);

// Unpacks the container at `offset` in `in_path` into `out_path` (created, or replaced, and written in
// pieces as the stream is decoded: a full disk or a shrinking input is a failure, never a signal). Returns the bytes written; 0 on any failure (missing or
// empty input, short or bad header, unpacked size 0 or above 32 bits, corrupt or short stream), and then
// `out_path` is deleted.
uint32_t UnpackFile(const std::string& out_path, const std::string& in_path, uint64_t offset,
                    LzmaCallback callback, uint32_t user);

// Packs `in_path` into the volume `out_path` (level 9, 8 MiB dictionary, no filter). Returns the
// container's size; 0 on failure (missing, empty or 4 GiB input, encoding stopped), and then `out_path`
// is deleted.
uint32_t PackFile(const std::string& out_path, const std::string& in_path, LzmaCallback callback,
                  uint32_t user);

// As PackFile, into private memory: `*packed` gets a mapping whose first (result) bytes are the
// container; release it with ReleasePacked. 0 on failure, and then `*packed` is empty.
uint32_t PackFileToMemory(platform::Mapping* packed, const std::string& in_path, LzmaCallback callback,
                          uint32_t user);

// Unmaps and closes what PackFileToMemory returned; harmless on an empty mapping.
void ReleasePacked(platform::Mapping* packed);

// The unpacked size in the container header at `offset` of `path`; 0 when the file cannot be opened
// or is shorter than offset + 14 bytes.
uint64_t PackedSize(const std::string& path, uint64_t offset);

}  // namespace tlx::package
