// tlxpack: builds, verifies and lists distributions of the suite.
//   tlxpack build PAYLOAD -o DIST [--volume-size SIZE] [--jobs N] [--setup SETUP.EXE]
//   tlxpack verify DIST
//   tlxpack list DIST
//   tlxpack install DIST FOLDER [--variant 0|1]   (the install step without windows)
#include <exception>
#include <string>
#include <vector>

#include "platform/config.h"
#include "platform/console.h"
#include "tools/tlxpack/build.h"
#include "tools/tlxpack/error_text.h"
#include "tools/tlxpack/inspect.h"
#include "tools/tlxpack/install.h"
#include "tools/tlxpack/paths.h"

namespace {

using tlx::platform::StdStream;
using tlx::platform::WriteStd;

constexpr char kUsage[] =
    "usage: tlxpack build PAYLOAD -o DIST [--volume-size SIZE] [--jobs N] [--setup SETUP.EXE]\n"
    "       tlxpack verify DIST\n"
    "       tlxpack list DIST\n"
    "       tlxpack install DIST FOLDER [--variant 0|1]\n";

int Usage(const std::string& problem) {
  WriteStd(StdStream::Err, "tlxpack: " + problem + "\n" + kUsage);
  return 2;
}

int Build(const std::vector<std::string>& args) {
  tlx::tlxpack::BuildOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> const std::string* { return i + 1 < args.size() ? &args[++i] : nullptr; };
    if (arg == "-o" || arg == "--volume-size" || arg == "--jobs" || arg == "--setup") {
      const std::string* v = value();
      if (v == nullptr) return Usage(arg + " needs a value");
      if (arg == "-o") {
        options.destination = *v;
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
  options.progress = tlx::platform::IsTerminal(StdStream::Out);
  tlx::tlxpack::BuildDistribution(options);
  return 0;
}

int Install(const std::vector<std::string>& args) {
  std::vector<std::string> folders;
  int variant = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--variant" && i + 1 < args.size() && (args[i + 1] == "0" || args[i + 1] == "1")) {
      variant = args[++i][0] - '0';
    } else if (!args[i].empty() && args[i][0] != '-') {
      folders.push_back(args[i]);
    } else {
      return Usage("bad install argument " + args[i]);
    }
  }
  if (folders.size() != 2) return Usage("install needs DIST and FOLDER");
  const std::vector<std::string> errors =
      tlx::tlxpack::InstallDistribution(tlx::tlxpack::AbsolutePath(folders[0]), folders[1], variant, nullptr);
  for (const std::string& line : errors) WriteStd(StdStream::Err, line + "\n");
  return errors.empty() ? 0 : 1;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return Usage("no command");
  const std::string& command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "build") return Build(rest);
  if (command == "install") return Install(rest);
  if (command == "verify" || command == "list") {
    if (rest.size() != 1) return Usage(command + " needs one distribution folder");
    const tlx::tlxpack::Inspection inspection = tlx::tlxpack::InspectDistribution(rest[0]);
    if (command == "list") {
      WriteStd(StdStream::Out, tlx::tlxpack::ListingText(inspection));
    } else {
      WriteStd(StdStream::Out, tlx::tlxpack::VerifyReport(inspection, rest[0]));
    }
    return inspection.problems.empty() ? 0 : 1;
  }
  return Usage("unknown command " + command);
}

}  // namespace

int main(int argc, char** argv) {
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
