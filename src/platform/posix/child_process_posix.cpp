// Running a program on POSIX: posix_spawnp with one pipe for both output streams and /dev/null as
// standard input.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/child_process.h"
#include "platform/error.h"
#include "platform/posix/posix_internal.h"

extern char** environ;

namespace tlx::platform {
namespace {

// A file descriptor closed on destruction.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

}  // namespace

std::optional<ProgramResult> RunProgram(const std::vector<std::string>& args) {
  if (args.empty()) {
    SetLastError(err::kInvalidParameter);
    return std::nullopt;
  }
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) {
    posix::SetErrnoError(errno);
    return std::nullopt;
  }
  Fd read_end(ends[0]);
  Fd write_end(ends[1]);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, write_end.get(), 1);
  posix_spawn_file_actions_adddup2(&actions, write_end.get(), 2);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  // The program starts with no signal blocked, whatever this process blocks (OnInterrupt).
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
  pid_t pid = 0;
  const int spawned = ::posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    posix::SetErrnoError(spawned);
    return std::nullopt;
  }
  write_end.Reset();
  ProgramResult result;
  char block[4096];
  for (;;) {
    const ssize_t got = ::read(read_end.get(), block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    const size_t room = kMaxProgramOutput - result.output.size();
    result.output.append(block, std::min<size_t>(room, static_cast<size_t>(got)));
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      posix::SetErrnoError(errno);
      return std::nullopt;
    }
  }
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

}  // namespace tlx::platform
