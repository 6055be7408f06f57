// tlxsetup: the unattended installer as a native command-line program. The switches are those of
// setup.exe; drives are mapped with --drive (see /HELP).
#include <string>
#include <vector>

#include "app/unattended.h"
#include "platform/console.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args = tlx::platform::CommandLineArguments(argc, argv);
  return tlx::app::RunCommandLine(
      args, /*native_tool=*/true, nullptr,
      [](const std::string& text) { tlx::platform::WriteStd(tlx::platform::StdStream::Out, text); },
      [](const std::string& text) { tlx::platform::WriteStd(tlx::platform::StdStream::Err, text); });
}
