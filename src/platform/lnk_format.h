// The Shell Link (.lnk) binary format, bytes in and bytes out: no operating-system calls, so the
// POSIX build writes links with it and both builds' tests can compare it with the Win32 shell's.
// Written: the 76-byte header, LinkInfo with the target as a local base path (code page 1251 and
// UTF-16), the description and working folder as UTF-16 string data, and the terminal block.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "platform/shell.h"

namespace tlx::platform::lnk {

// The bytes of a link to `link.target` (a Windows-form path such as "c:\tlx5_320\Exe\tlx.exe").
// nullopt when a text is not valid UTF-8 or longer than the format's 65535 units.
std::optional<std::string> EncodeShellLink(const ShellLink& link);

// Target, description, working folder and show command of a link file's bytes; the Unicode forms
// are preferred where both are present. nullopt with `*error` set when the bytes are not a link or
// a size or offset points outside them.
std::optional<ShellLink> DecodeShellLink(std::string_view bytes, std::string* error = nullptr);

}  // namespace tlx::platform::lnk
