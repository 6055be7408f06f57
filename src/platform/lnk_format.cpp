#include "platform/lnk_format.h"

#include <cstdint>

#include "platform/text.h"

namespace tlx::platform::lnk {

namespace {

constexpr uint32_t kHeaderSize = 0x4C;
constexpr uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// LinkFlags bits.
constexpr uint32_t kHasLinkTargetIdList = 0x1;
constexpr uint32_t kHasLinkInfo = 0x2;
constexpr uint32_t kHasName = 0x4;
constexpr uint32_t kHasRelativePath = 0x8;
constexpr uint32_t kHasWorkingDir = 0x10;
constexpr uint32_t kHasArguments = 0x20;
constexpr uint32_t kHasIconLocation = 0x40;
constexpr uint32_t kIsUnicode = 0x80;

// LinkInfo flags and its header sizes (0x1C plain, 0x24 with the Unicode offsets).
constexpr uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr uint32_t kLinkInfoHeaderPlain = 0x1C;
constexpr uint32_t kLinkInfoHeaderUnicode = 0x24;
constexpr uint32_t kVolumeIdHeader = 0x10;
constexpr uint32_t kDriveFixed = 3;
constexpr uint32_t kFileAttributeArchive = 0x20;

void Put16(std::string& out, uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}
void PutUtf16(std::string& out, const std::u16string& text) {
  for (char16_t unit : text) Put16(out, unit);
}

// Bounds-checked little-endian reads over one byte range; every read fails once past its end.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool Skip(size_t count) {
    if (bytes_.size() - pos_ < count) return false;
    pos_ += count;
    return true;
  }
  std::optional<uint32_t> U16() {
    if (bytes_.size() - pos_ < 2) return std::nullopt;
    const uint32_t v = Byte(pos_) | (Byte(pos_ + 1) << 8);
    pos_ += 2;
    return v;
  }
  std::optional<uint32_t> U32() {
    auto lo = U16();
    if (!lo) return std::nullopt;
    auto hi = U16();
    if (!hi) return std::nullopt;
    return *lo | (*hi << 16);
  }
  std::optional<std::string_view> Bytes(size_t count) {
    if (bytes_.size() - pos_ < count) return std::nullopt;
    std::string_view out = bytes_.substr(pos_, count);
    pos_ += count;
    return out;
  }
  size_t pos() const { return pos_; }

 private:
  uint32_t Byte(size_t at) const { return static_cast<uint8_t>(bytes_[at]); }
  std::string_view bytes_;
  size_t pos_ = 0;
};

// A zero-terminated code page 1251 string at `offset` inside `block`.
std::optional<std::string> AnsiAt(std::string_view block, uint32_t offset) {
  if (offset >= block.size()) return std::nullopt;
  const size_t end = block.find('\0', offset);
  if (end == std::string_view::npos) return std::nullopt;
  return Cp1251ToUtf8(block.substr(offset, end - offset));
}

// A zero-terminated UTF-16 string at `offset` inside `block`.
std::optional<std::string> UnicodeAt(std::string_view block, uint32_t offset) {
  std::u16string text;
  for (size_t at = offset; at + 1 < block.size(); at += 2) {
    const char16_t unit = static_cast<char16_t>(static_cast<uint8_t>(block[at]) |
                                                (static_cast<uint8_t>(block[at + 1]) << 8));
    if (unit == 0) return Utf16ToUtf8(text);
    text += unit;
  }
  return std::nullopt;
}

std::optional<std::string> ReadLinkInfoTarget(std::string_view info, std::string* error) {
  Reader r(info);
  r.Skip(4);  // LinkInfoSize, already checked by the caller
  auto header_size = r.U32();
  auto flags = r.U32();
  auto volume_offset = r.U32();
  auto base_offset = r.U32();
  auto network_offset = r.U32();
  auto suffix_offset = r.U32();
  if (!suffix_offset || !header_size || *header_size < kLinkInfoHeaderPlain || *header_size > info.size()) {
    if (error) *error = "link info header is cut short";
    return std::nullopt;
  }
  (void)volume_offset;
  (void)network_offset;
  if (!(*flags & kVolumeIdAndLocalBasePath)) return std::string();  // a network target: not ours
  std::optional<std::string> base;
  std::optional<std::string> suffix;
  if (*header_size >= kLinkInfoHeaderUnicode) {
    auto base_unicode = r.U32();
    auto suffix_unicode = r.U32();
    if (base_unicode && *base_unicode) base = UnicodeAt(info, *base_unicode);
    if (suffix_unicode && *suffix_unicode) suffix = UnicodeAt(info, *suffix_unicode);
  }
  if (!base) base = AnsiAt(info, *base_offset);
  if (!suffix) suffix = AnsiAt(info, *suffix_offset);
  if (!base) {
    if (error) *error = "local base path lies outside the link info";
    return std::nullopt;
  }
  std::string target = *base;
  if (suffix && !suffix->empty()) {
    if (!target.empty() && target.back() != '\\') target += '\\';
    target += *suffix;
  }
  return target;
}

}  // namespace

std::optional<std::string> EncodeShellLink(const ShellLink& link) {
  const auto target16 = Utf8ToUtf16(link.target);
  const auto target_ansi = Utf8ToCp1251Lossy(link.target);
  const auto description16 = Utf8ToUtf16(link.description);
  const auto working16 = Utf8ToUtf16(link.working_folder);
  if (!target16 || !target_ansi || !description16 || !working16) return std::nullopt;
  if (description16->size() > 0xFFFF || working16->size() > 0xFFFF) return std::nullopt;

  uint32_t flags = kHasLinkInfo | kIsUnicode;
  if (!description16->empty()) flags |= kHasName;
  if (!working16->empty()) flags |= kHasWorkingDir;

  std::string out;
  Put32(out, kHeaderSize);
  out.append(reinterpret_cast<const char*>(kLinkClsid), sizeof kLinkClsid);
  Put32(out, flags);
  Put32(out, kFileAttributeArchive);
  out.append(24, '\0');  // creation, access and write times: unknown
  Put32(out, 0);         // target size
  Put32(out, 0);         // icon index
  Put32(out, static_cast<uint32_t>(link.show_command));
  Put16(out, 0);         // hot key
  out.append(10, '\0');  // reserved

  // LinkInfo: header, VolumeID (fixed drive, empty label), ANSI base path, empty suffix, then the
  // Unicode base path and suffix, aligned on two bytes.
  const uint32_t volume_offset = kLinkInfoHeaderUnicode;
  const uint32_t volume_size = kVolumeIdHeader + 1;
  const uint32_t base_offset = volume_offset + volume_size;
  const uint32_t suffix_offset = base_offset + static_cast<uint32_t>(target_ansi->size()) + 1;
  const uint32_t base_unicode_offset = (suffix_offset + 1 + 1) & ~1u;
  const uint32_t suffix_unicode_offset = base_unicode_offset + 2 * static_cast<uint32_t>(target16->size() + 1);
  const uint32_t info_size = suffix_unicode_offset + 2;
  Put32(out, info_size);
  Put32(out, kLinkInfoHeaderUnicode);
  Put32(out, kVolumeIdAndLocalBasePath);
  Put32(out, volume_offset);
  Put32(out, base_offset);
  Put32(out, 0);  // no network link
  Put32(out, suffix_offset);
  Put32(out, base_unicode_offset);
  Put32(out, suffix_unicode_offset);
  Put32(out, volume_size);
  Put32(out, kDriveFixed);
  Put32(out, 0);  // serial number
  Put32(out, kVolumeIdHeader);
  out += '\0';    // label
  out += *target_ansi;
  out += '\0';
  out += '\0';    // common path suffix
  if ((out.size() - kHeaderSize) & 1) out += '\0';
  PutUtf16(out, *target16);
  Put16(out, 0);
  Put16(out, 0);  // Unicode suffix

  if (flags & kHasName) {
    Put16(out, static_cast<uint32_t>(description16->size()));
    PutUtf16(out, *description16);
  }
  if (flags & kHasWorkingDir) {
    Put16(out, static_cast<uint32_t>(working16->size()));
    PutUtf16(out, *working16);
  }
  Put32(out, 0);  // terminal block
  return out;
}

std::optional<ShellLink> DecodeShellLink(std::string_view bytes, std::string* error) {
  auto fail = [&](const char* what) -> std::optional<ShellLink> {
    if (error) *error = what;
    return std::nullopt;
  };
  Reader r(bytes);
  auto header_size = r.U32();
  auto clsid = r.Bytes(16);
  if (!header_size || *header_size != kHeaderSize || !clsid ||
      *clsid != std::string_view(reinterpret_cast<const char*>(kLinkClsid), sizeof kLinkClsid)) {
    return fail("not a shell link: wrong header size or class");
  }
  auto flags = r.U32();
  r.Skip(4 + 24 + 4 + 4);  // attributes, times, size, icon index
  auto show = r.U32();
  if (!show || !r.Skip(12)) return fail("shell link header is cut short");

  ShellLink link;
  link.show_command = static_cast<int>(*show);
  if (*flags & kHasLinkTargetIdList) {
    auto size = r.U16();
    if (!size || !r.Skip(*size)) return fail("target id list runs past the end");
  }
  if (*flags & kHasLinkInfo) {
    const size_t start = r.pos();
    auto size = r.U32();
    if (!size || *size < kLinkInfoHeaderPlain || bytes.size() - start < *size) {
      return fail("link info runs past the end");
    }
    std::string why;
    auto target = ReadLinkInfoTarget(bytes.substr(start, *size), &why);
    if (!target) {
      if (error) *error = why;
      return std::nullopt;
    }
    link.target = *target;
    r.Skip(*size - 4);
  }
  // String data, in the order the format fixes; counts are in characters.
  const bool unicode = *flags & kIsUnicode;
  auto read_string = [&](std::string* into) -> bool {
    auto count = r.U16();
    if (!count) return false;
    auto raw = r.Bytes(unicode ? *count * 2 : *count);
    if (!raw) return false;
    if (!unicode) {
      std::string_view bytes8 = *raw;
      while (!bytes8.empty() && bytes8.back() == '\0') bytes8.remove_suffix(1);
      *into = Cp1251ToUtf8(bytes8);
      return true;
    }
    std::u16string text;
    for (size_t i = 0; i + 1 < raw->size(); i += 2) {
      text += static_cast<char16_t>(static_cast<uint8_t>((*raw)[i]) | (static_cast<uint8_t>((*raw)[i + 1]) << 8));
    }
    // Some writers (Wine's shell) count the terminating zero in the length.
    while (!text.empty() && text.back() == u'\0') text.pop_back();
    auto utf8 = Utf16ToUtf8(text);
    if (!utf8) return false;
    *into = *utf8;
    return true;
  };
  std::string ignored;
  if ((*flags & kHasName) && !read_string(&link.description)) return fail("description is cut short");
  if ((*flags & kHasRelativePath) && !read_string(&ignored)) return fail("relative path is cut short");
  if ((*flags & kHasWorkingDir) && !read_string(&link.working_folder)) return fail("working folder is cut short");
  if ((*flags & kHasArguments) && !read_string(&ignored)) return fail("arguments are cut short");
  if ((*flags & kHasIconLocation) && !read_string(&ignored)) return fail("icon location is cut short");
  return link;
}

}  // namespace tlx::platform::lnk
