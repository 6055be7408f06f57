// mksample: writes the sample suite payload that tlxpack turns into the sample distribution.
//   mksample FOLDER [--tlx-exe TLX.EXE]
#include <exception>
#include <string>

#include "platform/console.h"
#include "tools/mksample/sample_payload.h"
#include "tools/tlxpack/error_text.h"

int main(int argc, char** argv) {
  using tlx::platform::StdStream;
  const std::vector<std::string> args = tlx::platform::CommandLineArguments(argc, argv);
  std::string folder, exe;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--tlx-exe" && i + 1 < args.size()) {
      exe = args[++i];
    } else if (folder.empty() && !args[i].empty() && args[i][0] != '-') {
      folder = args[i];
    } else {
      folder.clear();
      break;
    }
  }
  if (folder.empty()) {
    tlx::platform::WriteStd(StdStream::Err, "usage: mksample FOLDER [--tlx-exe TLX.EXE]\n");
    return 2;
  }
  try {
    if (!tlx::mksample::WriteSamplePayload(folder, exe)) {
      tlx::platform::WriteStd(StdStream::Err, "mksample: no stand-in tlx.exe" +
                                                  (exe.empty() ? std::string() : " at " + exe) +
                                                  "; Exe/tlx.exe is a placeholder\n");
    }
    return 0;
  } catch (const std::exception& e) {
    tlx::platform::WriteStd(StdStream::Err, "mksample: " + tlx::tlxpack::ErrorText(e) + "\n");
    return 1;
  }
}
