// Standard streams on POSIX: isatty and plain writes.
#include <unistd.h>

#include <cerrno>

#include "platform/console.h"

namespace tlx::platform {

namespace {
int Descriptor(StdStream stream) { return stream == StdStream::Out ? STDOUT_FILENO : STDERR_FILENO; }
}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

bool IsTerminal(StdStream stream) { return isatty(Descriptor(stream)) == 1; }

void WriteStd(StdStream stream, std::string_view utf8) {
  const int fd = Descriptor(stream);
  while (!utf8.empty()) {
    const ssize_t done = write(fd, utf8.data(), utf8.size());
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return;
    utf8.remove_prefix(static_cast<size_t>(done));
  }
}

}  // namespace tlx::platform
