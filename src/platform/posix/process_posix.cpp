// Process services on POSIX: the named mutex as a lock file, the version record and screen metrics
// from the configuration.
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/config.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/posix/posix_internal.h"
#include "platform/process.h"

namespace tlx::platform {

namespace {
// A lock-file name for the mutex: characters other than letters, digits, '-', '_' and '.' are
// spelled in hexadecimal, so any name gives one flat file.
std::string LockPath(const std::string& name) {
  static const char kHex[] = "0123456789abcdef";
  std::string path = "/tmp/tlx-mutex-" + std::to_string(getuid()) + "-";
  for (unsigned char c : name) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
        c == '.') {
      path += static_cast<char>(c);
    } else {
      path += '%';
      path += kHex[c >> 4];
      path += kHex[c & 15];
    }
  }
  return path;
}
}  // namespace

NamedMutex::~NamedMutex() {
  if (handle_ != 0) close(static_cast<int>(handle_ - 1));  // closing the file drops its lock
}

NamedMutex::NamedMutex(NamedMutex&& other) noexcept : handle_(other.handle_), already_exists_(other.already_exists_) {
  other.handle_ = 0;
}

NamedMutex& NamedMutex::operator=(NamedMutex&& other) noexcept {
  if (this != &other) {
    if (handle_ != 0) close(static_cast<int>(handle_ - 1));
    handle_ = other.handle_;
    already_exists_ = other.already_exists_;
    other.handle_ = 0;
  }
  return *this;
}

// The handle is fd + 1 so that 0 stays "none". A holder keeps a shared lock on the file; a creator
// that cannot take an exclusive lock knows another holder has it, as CreateMutex reports
// ERROR_ALREADY_EXISTS. Each object holds its own descriptor, so two in one process see each other.
NamedMutex NamedMutex::Create(const std::string& name) {
  NamedMutex mutex;
  const std::string path = LockPath(name);
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    posix::SetErrnoError(errno, path);
    return mutex;
  }
  const bool alone = flock(fd, LOCK_EX | LOCK_NB) == 0;
  if (flock(fd, LOCK_SH) != 0) {  // converts our exclusive lock, or joins the other holders
    const int e = errno;
    close(fd);
    posix::SetErrnoError(e);
    return mutex;
  }
  mutex.handle_ = fd + 1;
  mutex.already_exists_ = !alone;
  SetLastError(alone ? err::kSuccess : err::kAlreadyExists);
  return mutex;
}

std::optional<OSVersionRecord> QueryOSVersion() {
  const auto& version = CurrentConfig().os_version;
  if (!version) {
    SetLastError(err::kInvalidParameter);
    return std::nullopt;
  }
  return version;
}

namespace {
std::function<void()>& InterruptCleanup() {
  static std::function<void()> cleanup;
  return cleanup;
}
}  // namespace

// The signals are blocked and taken by a thread of their own with sigwait, so the cleanup runs as
// ordinary code (no async-signal-safety limits). A signal the process was started with ignored (a
// background job's SIGINT, nohup's SIGHUP) stays ignored.
void OnInterrupt(std::function<void()> cleanup) {
  static std::once_flag started;
  InterruptCleanup() = std::move(cleanup);
  sigset_t set;
  sigemptyset(&set);
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current {};
    if (sigaction(sig, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    sigaddset(&set, sig);
  }
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::call_once(started, [set] {
    std::thread([set] {
      int sig = 0;
      while (sigwait(&set, &sig) != 0) {
      }
      posix::EndSharing();
      if (InterruptCleanup()) InterruptCleanup()();
      signal(sig, SIG_DFL);
      sigset_t one;
      sigemptyset(&one);
      sigaddset(&one, sig);
      pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
      raise(sig);  // delivered to this thread at once; its default action ends the process
      _exit(128 + sig);
    }).detach();
  });
}

uint16_t ProcessorArchitecture() { return CurrentConfig().processor_architecture; }

int ServerR2Metric() { return CurrentConfig().server_r2; }

Size ScreenSize() { return CurrentConfig().screen; }

Rect DesktopRect() {
  // The work area leaves a task bar of 40 pixels at the bottom, as a default Windows 7 desktop does.
  const Size screen = CurrentConfig().screen;
  return Rect{0, 0, screen.width, screen.height > 40 ? screen.height - 40 : screen.height};
}

bool RemoveOwnProgramFile() {
  // A running program's file can be unlinked here: the process keeps its own copy open.
  const std::string self = ProgramPath();
  return !self.empty() && DeleteFile(self);
}

}  // namespace tlx::platform
