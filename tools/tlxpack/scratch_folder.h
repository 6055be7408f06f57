// A private working folder in the system's temporary folder, emptied and removed on destruction
// (install buffers, unpacked volumes, measuring installations).
#pragma once
#include <string>

namespace tlx::tlxpack {

class ScratchFolder {
 public:
  // Creates a fresh folder; throws std::runtime_error when none can be made.
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder, without a trailing separator.
  const std::string& path() const { return path_; }
  // path() + separator + name.
  std::string Path(const std::string& name) const;

 private:
  std::string path_;
};

}  // namespace tlx::tlxpack
