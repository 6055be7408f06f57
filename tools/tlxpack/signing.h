// Authenticode signatures of the distribution's programs: signing through the signing tool
// osslsigncode (a Debian package), reading whether a program carries a signature from its own
// headers, and checking a signature with the same tool.
#pragma once
#include <string>

namespace tlx::tlxpack {

inline constexpr char kSigningTool[] = "osslsigncode";

struct SigningOptions {
  std::string pkcs12;         // certificate and private key; empty: nothing is signed
  std::string password_file;  // holds the key's password; empty: none
  std::string timestamp_url;  // RFC 3161 time-stamping service; empty: no time stamp
  bool enabled() const { return !pkcs12.empty(); }
};

// How a file stands: not a Windows program (no PE headers), a program without a signature, or a
// program whose certificate table holds one.
enum class ESignature { kNotProgram, kUnsigned, kSigned };

// True for a name ending in ".exe" or ".dll" (any letter case): a file the builder signs when it is
// a program.
bool IsProgramFileName(const std::string& name);

// Reads the file's PE headers (every offset checked against the file's size).
ESignature SignatureOf(const std::string& path);

// Signs the program `in` into `out` (replaced). Throws std::runtime_error naming `in` and the
// signing tool's reason when it cannot be started or fails.
void SignProgram(const SigningOptions& options, const std::string& in, const std::string& out);

struct SignatureCheck {
  ESignature state = ESignature::kNotProgram;
  bool checked = false;   // the signing tool ran on a signed program
  bool verifies = false;  // its verdict: the digest matches the file and the certificate chain holds
  std::string detail;     // why it does not verify, or why it was not checked
};

// Checks the signature of `path` with the signing tool; `ca_file` (optional) names the certificates
// to trust instead of the system's.
SignatureCheck CheckSignature(const std::string& path, const std::string& ca_file);

// For `tlxpack verify`: one line per program (".exe") in the distribution folder, saying whether it
// is signed and whether the signature verifies. `*bad` is set when a signature does not verify.
std::string SignatureReport(const std::string& distribution, const std::string& ca_file, bool* bad);

}  // namespace tlx::tlxpack
