// The distribution's list of SHA-256 digests, `Setup\SHA256SUMS`, in the form `sha256sum -c` reads:
// one line per file, 64 hexadecimal digits, a blank, a blank or "*" (binary), the file name. The
// builder lists every volume and `kssum`; the installer checks each volume against it as well as
// against `kssum` when the list is present (distributions without it install as before), since the
// additive checksums cannot see, for example, two bytes swapped 56 bytes apart.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sha256.h"

namespace tlx::package {

inline constexpr char kSha256SumsName[] = "SHA256SUMS";
// A list of 1000 volumes takes some 85 KB; anything far larger is not one of ours.
inline constexpr size_t kMaxSha256SumsSize = 1u << 20;

struct Sha256Entry {
  std::string name;
  platform::Sha256Digest digest{};
};

// The lines of the list ("<hex>  <name>\n"), in the order given.
std::string FormatSha256Sums(const std::vector<Sha256Entry>& entries);

// Parses a list: empty lines are skipped, a "\r" before a line's end is dropped (a list edited on
// Windows). nullopt with `*problem` ("строка N: ...") for a line of another form, a name listed
// twice, or a text longer than kMaxSha256SumsSize.
std::optional<std::vector<Sha256Entry>> ParseSha256Sums(std::string_view text, std::string* problem);

// The digest listed for `name` (exact spelling), or nullptr.
const platform::Sha256Digest* FindDigest(const std::vector<Sha256Entry>& entries, std::string_view name);

// Reads `folder` + SHA256SUMS (folder with a trailing separator) when it exists: nullopt when it
// does not. Raises the file layer's error for a file that cannot be read and ZError 0 "Файл <path>,
// <problem>" for one that cannot be parsed.
std::optional<std::vector<Sha256Entry>> LoadSha256Sums(const std::string& folder);

// The SHA-256 of a whole file, read in blocks through the file layer (its errors pass through).
// Raises ZError 0 when the system offers no SHA-256.
platform::Sha256Digest FileSha256(const std::string& path);

}  // namespace tlx::package
