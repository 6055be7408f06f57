// tlxpack in a process of its own, ended from outside while it builds: its working folder in the
// temporary folder goes with it, and it ends by the signal it was sent. A build that fails by itself
// after making the folder removes it too.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/temp_drive.h"
#include "tools/mksample/sample_payload.h"

namespace tlx::tlxpack {
namespace {

namespace fs = std::filesystem;

// Starts tlxpack with `args` and TMPDIR=`temp`; every signal at its default, none blocked.
pid_t StartTlxpack(const std::vector<std::string>& args, const std::string& temp) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) signal(sig, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  std::vector<const char*> argv{TLXPACK_EXE};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  argv.push_back(nullptr);
  const std::string tmpdir = "TMPDIR=" + temp;
  const char* envp[] = {tmpdir.c_str(), nullptr};
  freopen("/dev/null", "w", stdout);
  freopen("/dev/null", "w", stderr);
  execve(TLXPACK_EXE, const_cast<char* const*>(argv.data()), const_cast<char* const*>(envp));
  _exit(127);
}

// The entries of `folder`.
std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  return names;
}

// Waits (at most 60 s) until the working folder exists and holds a file: the build is under way.
bool WorkUnderWay(const std::string& temp) {
  for (int waited = 0; waited < 12000; ++waited) {
    for (const std::string& name : Entries(temp)) {
      if (!fs::is_empty(temp + "/" + name)) return true;
    }
    usleep(5000);
  }
  return false;
}

TEST(TlxpackInterrupt, TheWorkingFolderGoesWithTheProcess) {
  test::TempDrive drive('c');
  mksample::WriteSamplePayload(drive.Path("payload"), "");
  // Incompressible bytes keep the packing busy long enough to be interrupted.
  std::string noise(24 << 20, '\0');
  uint32_t seed = 7;
  for (char& c : noise) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 24);
  }
  test::WriteNativeFile(drive.NativePath("payload/Doc/noise.bin"), noise);
  const std::string temp = drive.NativePath("temp");
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(sig));
    fs::create_directories(temp);
    const pid_t pid = StartTlxpack({"build", drive.NativePath("payload"), "-o", drive.NativePath("dist"), "--jobs", "1"}, temp);
    ASSERT_GT(pid, 0);
    const bool under_way = WorkUnderWay(temp);
    kill(pid, under_way ? sig : SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(under_way) << "no working folder appeared";
    ASSERT_TRUE(WIFSIGNALED(status)) << "ended by itself with " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), sig);
    EXPECT_EQ(Entries(temp), std::vector<std::string>{});
    fs::remove_all(temp);
  }
}

TEST(TlxpackInterrupt, AFailedBuildRemovesItsWorkingFolder) {
  test::TempDrive drive('c');
  mksample::WriteSamplePayload(drive.Path("payload"), "");
  // The certificate is a regular file, so the build gets as far as signing the setup program in its
  // working folder, where the signing tool refuses it.
  test::WriteNativeFile(drive.NativePath("cert.p12"), "not a certificate");
  test::WriteNativeFile(drive.NativePath("setup.exe"), "MZ not a program either");
  const std::string temp = drive.NativePath("temp");
  fs::create_directories(temp);
  const pid_t pid = StartTlxpack({"build", drive.NativePath("payload"), "-o", drive.NativePath("dist"), "--setup",
                                  drive.NativePath("setup.exe"), "--sign-pkcs12", drive.NativePath("cert.p12")},
                                 temp);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(Entries(temp), std::vector<std::string>{});
}

}  // namespace
}  // namespace tlx::tlxpack
