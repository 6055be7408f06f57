// Points the current user's desktop folder somewhere for one test. POSIX: the platform's
// configuration (the Windows folder too). Windows: the current user's "User Shell Folders" and
// "Shell Folders" values "Desktop" (the shell rewrites the second from the first), restored
// afterwards with their types; the Windows folder stays the system's.
#pragma once
#include <optional>
#include <string>
#include <vector>

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

  // A saved value: present or not, its type and its bytes.
  struct Saved {
    bool present = false;
    unsigned long type = 0;
    std::vector<unsigned char> bytes;
  };

 private:
  std::optional<std::string> saved_desktop_;
  std::string saved_windows_;
  Saved saved_[2];
};

}  // namespace tlx::test
