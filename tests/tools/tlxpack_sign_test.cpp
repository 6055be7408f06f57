// The distribution's standard checks, natively against independent tools: `sha256sum -c` reads the
// SHA256SUMS that tlxpack writes, and osslsigncode checks what tlxpack signed with a throw-away
// self-signed certificate that openssl makes for the test.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <filesystem>

#include "package/folder_tables.h"
#include "package/sha256_sums.h"
#include "package/volume_checksum.h"
#include "support/files.h"
#include "support/temp_drive.h"
#include "tools/install_expectation.h"
#include "tools/tlxpack/build.h"
#include "tools/tlxpack/error_text.h"
#include "tools/tlxpack/install.h"
#include "tools/tlxpack/signing.h"

namespace tlx::tlxpack {
namespace {

namespace fs = std::filesystem;
using test::Part;
using test::ReadNativeFile;
using test::WriteNativeFile;

// Runs a shell command, its output into `log`; returns its exit code.
int Shell(const std::string& command, const std::string& log) {
  const int status = std::system(("(" + command + ") >'" + log + "' 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Noise(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  for (char& c : bytes) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 24);
  }
  return bytes;
}

class MediumToolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The least a payload holds (the sources of the reference copies) and some bulk.
    for (std::string_view cfg : package::kReferenceConfigFiles) WriteNativeFile(payload_ + "/Cfg" + Part(cfg), "c");
    for (size_t lang = 0; lang < package::kLanguageFolders.size(); ++lang) {
      const std::string root = payload_ + Part(package::kLanguageFolders[lang]);
      for (std::string_view db : package::kReferenceCopies[lang].databases) WriteNativeFile(root + "/LBN" + Part(db), "d");
      WriteNativeFile(root + "/UserNsi" + Part(package::kReferenceCopies[lang].user_file), "u");
    }
    WriteNativeFile(payload_ + "/Base/noise.bin", Noise(150000, 5));
  }

  BuildResult Build(const std::string& dist, const SigningOptions& signing = {}, const std::string& setup = "") {
    BuildOptions options;
    options.payload = drive_.Path("payload");
    options.destination = drive_.Path(dist);
    options.volume_size = 32 << 10;
    options.jobs = 2;
    options.setup_program = setup;
    options.signing = signing;
    return BuildDistribution(options);
  }

  // A throw-away self-signed code-signing certificate in `keys` (cert.pem, cert.p12, pass.txt).
  void MakeCertificate() {
    fs::create_directories(keys_);
    const std::string log = keys_ + "/openssl.log";
    ASSERT_EQ(Shell("cd '" + keys_ +
                        "' && openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 "
                        "-subj '/CN=Throwaway Test Signer' && "
                        "printf 'test-secret\\n' > pass.txt && "
                        "openssl pkcs12 -export -inkey key.pem -in cert.pem -out cert.p12 -passout file:pass.txt",
                    log),
              0)
        << ReadNativeFile(log);
  }

  SigningOptions Signing() const {
    SigningOptions signing;
    signing.pkcs12 = keys_ + "/cert.p12";
    signing.password_file = keys_ + "/pass.txt";
    return signing;
  }

  test::TempDrive drive_{'c'};
  std::string payload_ = drive_.NativePath("payload");
  std::string keys_ = drive_.NativePath("keys");
};

TEST_F(MediumToolsTest, Sha256sumAcceptsTheListAndSeesASwapThatKssumCannot) {
  const BuildResult result = Build("dist");
  const std::string setup = drive_.NativePath("dist") + "/Setup";
  const std::string list = ReadNativeFile(setup + "/" + package::kSha256SumsName);
  EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), static_cast<long>(result.volumes + 1));
  EXPECT_NE(list.find("  kssum\n"), std::string::npos);
  const std::string log = drive_.NativePath("sha256sum.log");
  EXPECT_EQ(Shell("cd '" + setup + "' && sha256sum --check --strict SHA256SUMS", log), 0) << ReadNativeFile(log);

  // Two bytes 56 apart swapped: the volume checksum stays, sha256sum and the installer see it.
  const std::string volume = setup + "/TlxStp5_320.002";
  std::string bytes = ReadNativeFile(volume);
  uint32_t lo = 0, hi = 0, lo2 = 0, hi2 = 0;
  package::VolumeChecksum(bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()), &lo, &hi);
  size_t at = 100;
  while (bytes[at] == bytes[at + 56]) ++at;
  std::swap(bytes[at], bytes[at + 56]);
  package::VolumeChecksum(bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()), &lo2, &hi2);
  ASSERT_EQ(std::make_pair(lo, hi), std::make_pair(lo2, hi2));
  WriteNativeFile(volume, bytes);
  EXPECT_EQ(Shell("cd '" + setup + "' && sha256sum --check --quiet SHA256SUMS", log), 1);
  EXPECT_NE(ReadNativeFile(log).find("TlxStp5_320.002: FAILED"), std::string::npos) << ReadNativeFile(log);
  EXPECT_EQ(InstallDistribution(drive_.Path("dist"), drive_.Path("inst"), 1, nullptr),
            std::vector<std::string>{"Файл TlxStp5_320.002 - Ошибки при чтении"});
}

TEST_F(MediumToolsTest, SignsTheSetupProgramAndThePayloadsProgram) {
  MakeCertificate();
  WriteNativeFile(payload_ + "/Exe/tlx.exe", ReadNativeFile(TLX_TINY_PROGRAM));
  WriteNativeFile(payload_ + "/Exe/notes.exe", "not a program");  // left as it is
  Build("dist", Signing(), TLX_TINY_PROGRAM);
  const std::string setup_exe = drive_.NativePath("dist") + "/" + fs::path(TLX_TINY_PROGRAM).filename().string();
  EXPECT_EQ(SignatureOf(TLX_TINY_PROGRAM), ESignature::kUnsigned);
  EXPECT_EQ(SignatureOf(setup_exe), ESignature::kSigned);

  // The independent check: osslsigncode with the test certificate as the only trusted one.
  const std::string log = drive_.NativePath("verify.log");
  EXPECT_EQ(Shell("osslsigncode verify -CAfile '" + keys_ + "/cert.pem' -in '" + setup_exe + "'", log), 0)
      << ReadNativeFile(log);

  // tlxpack verify: trusted with the certificate, a self-signed chain without it.
  bool bad = false;
  const std::string name = fs::path(setup_exe).filename().string();
  EXPECT_EQ(SignatureReport(drive_.NativePath("dist"), keys_ + "/cert.pem", &bad),
            name + ": signed; the signature verifies\n");
  EXPECT_FALSE(bad);
  EXPECT_NE(SignatureReport(drive_.NativePath("dist"), "", &bad).find("does not verify: the certificate chain"),
            std::string::npos);
  EXPECT_TRUE(bad);

  // The suite program is installed signed; the text file named .exe as it was.
  ASSERT_TRUE(InstallDistribution(drive_.Path("dist"), drive_.Path("inst"), 1, nullptr).empty());
  EXPECT_EQ(Shell("osslsigncode verify -CAfile '" + keys_ + "/cert.pem' -in '" + drive_.NativePath("inst/Exe/tlx.exe") + "'", log), 0)
      << ReadNativeFile(log);
  EXPECT_EQ(ReadNativeFile(drive_.NativePath("inst/Exe/notes.exe")), "not a program");

  // A byte changed after signing.
  std::string bytes = ReadNativeFile(setup_exe);
  bytes[0x400] ^= 1;
  WriteNativeFile(setup_exe, bytes);
  bad = false;
  EXPECT_NE(SignatureReport(drive_.NativePath("dist"), keys_ + "/cert.pem", &bad).find("changed after it was signed"),
            std::string::npos);
  EXPECT_TRUE(bad);
}

TEST_F(MediumToolsTest, ASigningFailureWritesNothing) {
  struct Case {
    const char* label;
    std::function<void(SigningOptions&)> change;
    std::string message;
  } cases[] = {
      {"wrong password", [&](SigningOptions& s) { WriteNativeFile(s.password_file, "wrong\n"); }, "signing failed"},
      {"no certificate", [](SigningOptions& s) { s.pkcs12 += ".missing"; }, "the certificate file does not exist"},
      {"unreachable time-stamping service", [](SigningOptions& s) { s.timestamp_url = "http://127.0.0.1:9/"; },
       "signing failed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    MakeCertificate();
    SigningOptions signing = Signing();
    c.change(signing);
    try {
      Build("dist", signing, TLX_TINY_PROGRAM);
      ADD_FAILURE() << "built";
    } catch (const std::exception& error) {
      EXPECT_NE(ErrorText(error).find(c.message), std::string::npos) << ErrorText(error);
    }
    EXPECT_FALSE(fs::exists(drive_.NativePath("dist")));
  }
}

}  // namespace
}  // namespace tlx::tlxpack
