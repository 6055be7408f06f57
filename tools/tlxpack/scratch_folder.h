// A private working folder in the system's temporary folder, emptied and removed on destruction
// (install buffers, unpacked volumes, measuring installations), and on an interrupt as well.
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

// From now on, a process asked to end from outside (Ctrl+C, SIGTERM, the console closed) first
// removes every working folder that still exists, then ends as the request says. For a program's
// main, before it starts any thread.
void RemoveScratchFoldersOnInterrupt();

}  // namespace tlx::tlxpack
