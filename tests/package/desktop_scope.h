// Points the current user's desktop folder somewhere for one test. POSIX: the platform's
// configuration (the Windows folder too). Windows: the "Shell Folders" value "Desktop" of the
// current user, restored afterwards; the Windows folder stays the system's.
#pragma once
#include <optional>
#include <string>

namespace tlx::test {

class ScopedDesktop {
 public:
  // `desktop` nullopt: no desktop value. `windows_folder` is used where the platform lets tests
  // choose it (see ChoosesWindowsFolder).
  ScopedDesktop(std::optional<std::string> desktop, const std::string& windows_folder);
  ~ScopedDesktop();
  ScopedDesktop(const ScopedDesktop&) = delete;
  ScopedDesktop& operator=(const ScopedDesktop&) = delete;

  static bool ChoosesWindowsFolder();

 private:
  std::optional<std::string> saved_;
  std::optional<std::string> saved_windows_;
};

}  // namespace tlx::test
