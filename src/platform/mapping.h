// Memory-mapped files: whole-file read-only views, read/write views of a new file, anonymous memory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace tlx::platform {

// A mapped view. Move-only; unmaps on destruction. size() may be 0 for an empty file (data() null).
class Mapping {
 public:
  Mapping() = default;
  ~Mapping();
  Mapping(Mapping&& other) noexcept;
  Mapping& operator=(Mapping&& other) noexcept;
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;

  // The whole of an existing file, read-only. Invalid on failure (LastError set).
  static Mapping OpenReadOnly(const std::string& path);
  // Creates `path` at exactly `size` bytes and maps it read/write. An existing file (or a link, as a
  // link) is deleted first and a new file created: nothing is written into it.
  static Mapping CreateReadWrite(const std::string& path, uint64_t size);
  // Zero-filled private memory of `size` bytes.
  static Mapping Anonymous(uint64_t size);

  bool valid() const { return valid_; }
  uint8_t* data() const { return data_; }
  uint64_t size() const { return size_; }
  // Writes dirty pages back (read/write file views).
  bool Flush();
  // Unmaps and closes; for a file view created read/write, the file keeps `size` bytes.
  bool Close();

 private:
  bool valid_ = false;
  uint8_t* data_ = nullptr;
  uint64_t size_ = 0;
  intptr_t file_ = -1;     // file handle / fd, -1 when none
  intptr_t section_ = 0;   // Windows mapping object, 0 when none
};

}  // namespace tlx::platform
