// The command-line tools' view of their process: arguments as UTF-8, whether a standard stream is an
// interactive terminal, and writing UTF-8 text so that a console shows the Cyrillic letters as they are.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tlx::platform {

// The program's arguments after its name, as UTF-8 (Windows reads the wide command line; elsewhere
// `argv` is taken as it is).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

enum class StdStream : uint8_t { Out = 1, Err = 2 };

// True when the stream is an interactive terminal (a console window on Windows).
bool IsTerminal(StdStream stream);

// Writes `utf8` to the stream: UTF-16 through the console on a Windows console, the bytes unchanged
// everywhere else (pipes, files, POSIX terminals). Failures are ignored.
void WriteStd(StdStream stream, std::string_view utf8);

}  // namespace tlx::platform
