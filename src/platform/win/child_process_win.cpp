// Running a program on Windows: CreateProcessW with a command line quoted by the C runtime's rules,
// one inherited pipe for both output streams, read until the program closes it.
#include <algorithm>

#include "platform/child_process.h"
#include "platform/win/wide.h"

namespace tlx::platform {
namespace {

// One argument as CommandLineToArgvW and the C runtime read it back.
std::wstring Quote(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L"\"";
}

}  // namespace

std::optional<ProgramResult> RunProgram(const std::vector<std::string>& args) {
  if (args.empty()) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return std::nullopt;
  }
  std::wstring command;
  for (const std::string& arg : args) {
    std::optional<std::wstring> wide = win::Wide(arg);
    if (!wide) return std::nullopt;
    command += (command.empty() ? L"" : L" ") + Quote(*wide);
  }
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read_raw = nullptr;
  HANDLE write_raw = nullptr;
  if (!::CreatePipe(&read_raw, &write_raw, &inherit, 0)) return std::nullopt;
  win::Handle read_end(read_raw);
  win::Handle write_end(write_raw);
  ::SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = write_end.get();
  startup.hStdError = write_end.get();
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process)) {
    return std::nullopt;
  }
  win::Handle process_handle(process.hProcess);
  win::Handle thread_handle(process.hThread);
  write_end.reset();
  ProgramResult result;
  char block[4096];
  DWORD got = 0;
  while (::ReadFile(read_end.get(), block, sizeof block, &got, nullptr) && got > 0) {
    const size_t room = kMaxProgramOutput - result.output.size();
    result.output.append(block, std::min<size_t>(room, got));
  }
  ::WaitForSingleObject(process_handle.get(), INFINITE);
  DWORD code = 0;
  ::GetExitCodeProcess(process_handle.get(), &code);
  result.exit_code = static_cast<int>(code);
  return result;
}

}  // namespace tlx::platform
