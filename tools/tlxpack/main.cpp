// tlxpack: builds, verifies and lists distributions of the suite.
//   tlxpack build PAYLOAD -o DIST [--volume-size SIZE] [--jobs N] [--setup SETUP.EXE]
//                 [--sign-pkcs12 FILE [--sign-password-file FILE] [--timestamp URL]]
//   tlxpack verify DIST [--ca-file FILE]
//   tlxpack list DIST
//   tlxpack install DIST FOLDER [--variant 0|1] [--measure]   (the install step without windows)
#include <exception>
#include <string>
#include <vector>

#include "platform/config.h"
#include "platform/console.h"
#include "platform/fs.h"
#include "tools/tlxpack/build.h"
#include "tools/tlxpack/error_text.h"
#include "tools/tlxpack/inspect.h"
#include "tools/tlxpack/install.h"
#include "tools/tlxpack/paths.h"
#include "tools/tlxpack/scratch_folder.h"
#include "tools/tlxpack/signing.h"

namespace {

using tlx::platform::StdStream;
using tlx::platform::WriteStd;

constexpr char kUsage[] =
    "usage: tlxpack build PAYLOAD -o DIST [--volume-size SIZE] [--jobs N] [--setup SETUP.EXE]\n"
    "                     [--sign-pkcs12 FILE [--sign-password-file FILE] [--timestamp URL]]\n"
    "       tlxpack verify DIST [--ca-file FILE]\n"
    "       tlxpack list DIST\n"
    "       tlxpack install DIST FOLDER [--variant 0|1] [--measure]\n";

int Usage(const std::string& problem) {
  WriteStd(StdStream::Err, "tlxpack: " + problem + "\n" + kUsage);
  return 2;
}

int Build(const std::vector<std::string>& args) {
  tlx::tlxpack::BuildOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> const std::string* { return i + 1 < args.size() ? &args[++i] : nullptr; };
    if (arg == "-o" || arg == "--volume-size" || arg == "--jobs" || arg == "--setup" || arg == "--sign-pkcs12" ||
        arg == "--sign-password-file" || arg == "--timestamp") {
      const std::string* v = value();
      if (v == nullptr) return Usage(arg + " needs a value");
      if (arg == "-o") {
        options.destination = *v;
      } else if (arg == "--sign-pkcs12") {
        options.signing.pkcs12 = *v;
      } else if (arg == "--sign-password-file") {
        options.signing.password_file = *v;
      } else if (arg == "--timestamp") {
        options.signing.timestamp_url = *v;
      } else if (arg == "--setup") {
        options.setup_program = *v;
      } else if (arg == "--volume-size") {
        options.volume_size = tlx::tlxpack::ParseSize(*v);
        if (options.volume_size == 0) return Usage("bad volume size \"" + *v + "\"");
      } else {
        const uint64_t jobs = tlx::tlxpack::ParseSize(*v);
        if (jobs == 0 || jobs > 1024 || v->find_first_not_of("0123456789") != std::string::npos) {
          return Usage("bad job count \"" + *v + "\"");
        }
        options.jobs = static_cast<unsigned>(jobs);
      }
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage("unknown option " + arg);
    } else if (options.payload.empty()) {
      options.payload = arg;
    } else {
      return Usage("one payload folder only");
    }
  }
  if (options.payload.empty() || options.destination.empty()) return Usage("build needs PAYLOAD and -o DIST");
  if (!options.signing.enabled() && (!options.signing.password_file.empty() || !options.signing.timestamp_url.empty())) {
    return Usage("--sign-password-file and --timestamp need --sign-pkcs12");
  }
  options.progress = tlx::platform::IsTerminal(StdStream::Out);
  options.measuring_program = tlx::platform::ProgramPath();
  tlx::tlxpack::BuildDistribution(options);
  return 0;
}

int Install(const std::vector<std::string>& args) {
  std::vector<std::string> folders;
  int variant = 0;
  bool measuring = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--measure") {
      measuring = true;
    } else if (args[i] == "--variant" && i + 1 < args.size() && (args[i + 1] == "0" || args[i + 1] == "1")) {
      variant = args[++i][0] - '0';
    } else if (!args[i].empty() && args[i][0] != '-') {
      folders.push_back(args[i]);
    } else {
      return Usage("bad install argument " + args[i]);
    }
  }
  if (folders.size() != 2) return Usage("install needs DIST and FOLDER");
  std::vector<std::string> errors;
  tlx::package::SizeMeasure measure;
  measure.enabled = measuring;
  try {
    errors = tlx::tlxpack::InstallDistribution(tlx::tlxpack::AbsolutePath(folders[0]),
                                               tlx::tlxpack::AbsolutePath(folders[1]), variant,
                                               measuring ? &measure : nullptr);
  } catch (const std::exception& e) {  // a full disk, a file that cannot be written
    errors.push_back("tlxpack: " + tlx::tlxpack::ErrorText(e));
  }
  for (const std::string& line : errors) WriteStd(StdStream::Err, line + "\n");
  // The peak size of the installation folder in bytes, alone on the last line.
  if (measuring && errors.empty()) WriteStd(StdStream::Out, std::to_string(measure.PeakSize) + "\n");
  // 4 as the installer: the installation did not complete (2 is a bad command line).
  return errors.empty() ? 0 : 4;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return Usage("no command");
  const std::string& command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "build") return Build(rest);
  if (command == "install") return Install(rest);
  if (command == "verify" || command == "list") {
    std::string ca_file;
    std::vector<std::string> folders;
    for (size_t i = 0; i < rest.size(); ++i) {
      if (command == "verify" && rest[i] == "--ca-file" && i + 1 < rest.size()) {
        ca_file = rest[++i];
      } else if (!rest[i].empty() && rest[i][0] == '-') {
        return Usage("bad " + command + " argument " + rest[i]);
      } else {
        folders.push_back(rest[i]);
      }
    }
    if (folders.size() != 1) return Usage(command + " needs one distribution folder");
    if (!ca_file.empty()) tlx::tlxpack::RequireRegularFile(ca_file, "the certificate authorities' file");
    const tlx::tlxpack::Inspection inspection = tlx::tlxpack::InspectDistribution(folders[0]);
    if (command == "list") {
      WriteStd(StdStream::Out, tlx::tlxpack::ListingText(inspection));
      // What could not be listed, and why.
      for (const auto& problem : inspection.problems) WriteStd(StdStream::Err, problem.what + "\n");
      return inspection.problems.empty() ? 0 : 1;
    }
    bool bad_signature = false;
    WriteStd(StdStream::Out, tlx::tlxpack::SignatureReport(folders[0], ca_file, &bad_signature) +
                                 tlx::tlxpack::VerifyReport(inspection, folders[0]));
    return inspection.problems.empty() && !bad_signature ? 0 : 1;
  }
  return Usage("unknown command " + command);
}

}  // namespace

int main(int argc, char** argv) {
  tlx::tlxpack::RemoveScratchFoldersOnInterrupt();
  std::string error;
  if (!tlx::platform::ConfigureFromEnvironment(&error)) {
    WriteStd(StdStream::Err, "tlxpack: " + error + "\n");
    return 2;
  }
  try {
    return Run(tlx::platform::CommandLineArguments(argc, argv));
  } catch (const std::exception& e) {
    WriteStd(StdStream::Err, "tlxpack: " + tlx::tlxpack::ErrorText(e) + "\n");
    return 1;
  }
}
