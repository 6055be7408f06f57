// A fresh folder for one test, removed afterwards.
// POSIX: the folder is also mapped as drive `letter` (fixed), so Windows-style paths such as
// "c:\tlx5_320\Cfg" reach it exactly as they would on Windows; root() is then "c:".
// Windows: root() is the folder's real path (for example "C:\users\me\Temp\tlx-1234-1").
#pragma once
#include <string>

namespace tlx::test {

class TempDrive {
 public:
  explicit TempDrive(char letter = 'c');
  ~TempDrive();
  TempDrive(const TempDrive&) = delete;
  TempDrive& operator=(const TempDrive&) = delete;

  // Windows-style root without a trailing backslash.
  const std::string& root() const { return root_; }
  // root() + "\" + relative (relative may use "\" separators).
  std::string Path(const std::string& relative) const;
  // The native path of the folder (for std::filesystem checks).
  const std::string& native() const { return native_; }
  // The native path of a Windows-style relative path below the root.
  std::string NativePath(const std::string& relative) const;

 private:
  char letter_;
  std::string root_;
  std::string native_;
};

}  // namespace tlx::test
