// "#" as the line break of stored and message texts, for multi-line edit controls.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace tlx::messages {

// Every "#" turned into CR LF (used before loading a text into a multi-line control).
std::string HashToCrLf(std::string_view text);

// The lines of a control joined with "#" (none after the last line).
std::string JoinLinesWithHash(const std::vector<std::string>& lines);

}  // namespace tlx::messages
