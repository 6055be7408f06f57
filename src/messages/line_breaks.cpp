#include "messages/line_breaks.h"

namespace tlx::messages {

std::string HashToCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '#')
      out += "\r\n";
    else
      out += c;
  }
  return out;
}

std::string JoinLinesWithHash(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i != 0) out += '#';
    out += lines[i];
  }
  return out;
}

}  // namespace tlx::messages
