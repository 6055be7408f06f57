#include "tools/tlxpack/signing.h"

#include <stdexcept>
#include <string_view>
#include <vector>

#include "platform/child_process.h"
#include "platform/config.h"
#include "platform/error.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "tools/tlxpack/paths.h"

namespace tlx::tlxpack {
namespace {

constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kCertificateTable = 4;  // index among the optional header's data directories
constexpr size_t kFileHeaderSize = 20;

// Reads `size` bytes at `offset`; false when the file ends first.
bool ReadAt(platform::File& file, int64_t offset, void* bytes, uint32_t size) {
  uint32_t done = 0;
  return file.Seek(offset, platform::Origin::Begin) && file.Read(bytes, size, &done) && done == size;
}

uint32_t U32(const uint8_t* p) { return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24; }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

bool EndsWithNoCase(const std::string& name, std::string_view suffix) {
  if (name.size() <= suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i) {
    char c = name[name.size() - suffix.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != suffix[i]) return false;
  }
  return true;
}

// A path the signing tool can open: drive paths through the drive map.
std::string ToolPath(const std::string& path) {
  std::optional<std::string> native = platform::NativePath(path);
  if (!native) throw std::runtime_error(path + ": no such drive");
  return *native;
}

// The tool's run; throws when it cannot be started at all.
platform::ProgramResult RunTool(const std::vector<std::string>& args, const std::string& subject) {
  std::optional<platform::ProgramResult> result = platform::RunProgram(args);
  if (!result) {
    throw std::runtime_error(subject + ": the signing tool " + std::string(kSigningTool) + " cannot be started (" +
                             platform::SystemMessage(platform::LastError()) + "); install Debian's osslsigncode");
  }
  return *result;
}

// The tool's reason in one line: a digest that no longer matches, else its first error line.
std::string Reason(const std::string& output) {
  if (output.find("MISMATCH") != std::string::npos) return "the file was changed after it was signed (digest mismatch)";
  size_t at = 0;
  std::string fallback;
  while (at < output.size()) {
    size_t end = output.find('\n', at);
    if (end == std::string::npos) end = output.size();
    std::string line = output.substr(at, end - at);
    at = end + 1;
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos) continue;
    line = line.substr(first);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.rfind("Error: ", 0) == 0) return "the certificate chain does not verify: " + line.substr(7);
    if (fallback.empty() && (line.find("rror") != std::string::npos || line.find("ailed") != std::string::npos)) {
      fallback = line;
    }
  }
  return fallback.empty() ? "the signing tool gives no reason" : fallback;
}

}  // namespace

bool IsProgramFileName(const std::string& name) { return EndsWithNoCase(name, ".exe") || EndsWithNoCase(name, ".dll"); }

ESignature SignatureOf(const std::string& path) {
  platform::File file = platform::File::Open(path, {});
  if (!file.valid()) return ESignature::kNotProgram;
  const int64_t size = file.Size();
  uint8_t dos[64];
  if (size < 0 || !ReadAt(file, 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return ESignature::kNotProgram;
  const int64_t pe = U32(dos + 0x3C);
  uint8_t headers[4 + kFileHeaderSize + 2];
  if (pe + static_cast<int64_t>(sizeof headers) > size || !ReadAt(file, pe, headers, sizeof headers) ||
      U32(headers) != kPeSignature) {
    return ESignature::kNotProgram;
  }
  const int64_t optional_header = pe + 4 + kFileHeaderSize;
  const uint16_t magic = U16(headers + 4 + kFileHeaderSize);
  if (magic != kPe32Magic && magic != kPe32PlusMagic) return ESignature::kNotProgram;
  // The count of data directories, then the directories (8 bytes each).
  const int64_t count_at = optional_header + (magic == kPe32Magic ? 92 : 108);
  uint8_t count_bytes[4];
  if (!ReadAt(file, count_at, count_bytes, 4)) return ESignature::kNotProgram;
  if (U32(count_bytes) <= kCertificateTable) return ESignature::kUnsigned;
  uint8_t entry[8];
  if (!ReadAt(file, count_at + 4 + 8 * kCertificateTable, entry, 8)) return ESignature::kNotProgram;
  const uint64_t offset = U32(entry);
  const uint64_t length = U32(entry + 4);
  if (length == 0) return ESignature::kUnsigned;
  return offset + length <= static_cast<uint64_t>(size) ? ESignature::kSigned : ESignature::kUnsigned;
}

void SignProgram(const SigningOptions& options, const std::string& in, const std::string& out) {
  RequireRegularFile(options.pkcs12, "the certificate file");
  if (!options.password_file.empty()) RequireRegularFile(options.password_file, "the password file");
  std::vector<std::string> args = {kSigningTool, "sign", "-pkcs12", ToolPath(options.pkcs12)};
  if (!options.password_file.empty()) {
    args.insert(args.end(), {"-readpass", ToolPath(options.password_file)});
  }
  if (!options.timestamp_url.empty()) args.insert(args.end(), {"-ts", options.timestamp_url});
  args.insert(args.end(), {"-h", "sha256", "-in", ToolPath(in), "-out", ToolPath(out)});
  if (platform::Attributes(out) && !platform::DeleteFile(out)) throw std::runtime_error(out + ": cannot be replaced");
  const platform::ProgramResult result = RunTool(args, in);
  if (result.exit_code != 0 || SignatureOf(out) != ESignature::kSigned) {
    platform::DeleteFile(out);
    throw std::runtime_error(in + ": signing failed: " + Reason(result.output));
  }
}

SignatureCheck CheckSignature(const std::string& path, const std::string& ca_file) {
  SignatureCheck check;
  check.state = SignatureOf(path);
  if (check.state != ESignature::kSigned) return check;
  std::vector<std::string> args = {kSigningTool, "verify", "-in", ToolPath(path)};
  if (!ca_file.empty()) args.insert(args.end(), {"-CAfile", ToolPath(ca_file)});
  std::optional<platform::ProgramResult> result = platform::RunProgram(args);
  if (!result) {
    check.detail = "not checked: " + std::string(kSigningTool) + " cannot be started";
    return check;
  }
  check.checked = true;
  check.verifies = result->exit_code == 0;
  if (!check.verifies) check.detail = Reason(result->output);
  return check;
}

std::string SignatureReport(const std::string& distribution, const std::string& ca_file, bool* bad) {
  std::string report;
  const auto entries = platform::ListFolder(distribution, "*");
  if (!entries) return report;
  for (const platform::FolderEntry& entry : *entries) {
    if (!EndsWithNoCase(entry.name, ".exe") || (entry.attributes & platform::attr::kDirectory) != 0) continue;
    const SignatureCheck check = CheckSignature(JoinPath(distribution, entry.name), ca_file);
    std::string line = entry.name + ": ";
    if (check.state == ESignature::kNotProgram) {
      line += "not a Windows program";
    } else if (check.state == ESignature::kUnsigned) {
      line += "not signed";
    } else if (!check.checked) {
      line += "signed; the signature is " + check.detail;
    } else if (check.verifies) {
      line += "signed; the signature verifies";
    } else {
      line += "signed; the signature does not verify: " + check.detail;
      *bad = true;
    }
    report += line + "\n";
  }
  return report;
}

}  // namespace tlx::tlxpack
