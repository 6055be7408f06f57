#include "platform/text.h"

#include <array>
#include <cstdint>

namespace tlx::platform {

namespace {

// Code page 1251, bytes 0x80..0xBF (0xC0..0xFF are U+0410..U+044F in order). 0x98 has no character
// in the code page; Windows maps it onto U+0098 both ways, and so do we.
constexpr std::array<char16_t, 64> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

char32_t Cp1251Char(uint8_t byte) {
  if (byte < 0x80) return byte;
  if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
  return kHighHalf[byte - 0x80];
}

// The cp1251 byte of a character; -1 when the code page has none.
int Cp1251Byte(char32_t c) {
  if (c < 0x80) return static_cast<int>(c);
  if (c >= 0x0410 && c <= 0x044F) return static_cast<int>(0xC0 + (c - 0x0410));
  for (size_t i = 0; i < kHighHalf.size(); ++i) {
    if (kHighHalf[i] == c) return static_cast<int>(0x80 + i);
  }
  return -1;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

constexpr char32_t kBad = 0xFFFFFFFF;

// Decodes the character at `*pos` and moves past it; kBad (position unchanged) on an overlong
// form, a surrogate, a value above U+10FFFF, a stray or missing continuation byte.
char32_t DecodeUtf8(std::string_view text, size_t* pos) {
  const size_t start = *pos;
  const uint8_t lead = static_cast<uint8_t>(text[start]);
  if (lead < 0x80) {
    *pos = start + 1;
    return lead;
  }
  size_t length;
  char32_t c;
  char32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, c = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, c = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, c = lead & 0x07, minimum = 0x10000;
  } else {
    return kBad;
  }
  if (text.size() - start < length) return kBad;
  for (size_t i = 1; i < length; ++i) {
    const uint8_t next = static_cast<uint8_t>(text[start + i]);
    if ((next & 0xC0) != 0x80) return kBad;
    c = (c << 6) | (next & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kBad;
  *pos = start + length;
  return c;
}

std::optional<std::string> ToCp1251(std::string_view utf8, bool lossy) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) {
    const char32_t c = DecodeUtf8(utf8, &pos);
    if (c == kBad) return std::nullopt;
    const int byte = Cp1251Byte(c);
    if (byte < 0) {
      if (!lossy) return std::nullopt;
      out += '?';
    } else {
      out += static_cast<char>(byte);
    }
  }
  return out;
}

char32_t UpperChar(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 0x20;
  if (c >= 0x0430 && c <= 0x044F) return c - 0x20;  // а..я
  if (c >= 0x0450 && c <= 0x045F) return c - 0x50;  // ѐ..џ (ё є і ї ў ...)
  if (c == 0x0491) return 0x0490;                   // ґ
  return c;
}

}  // namespace

std::string Cp1251ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char b : bytes) AppendUtf8(out, Cp1251Char(static_cast<uint8_t>(b)));
  return out;
}

std::optional<std::string> Utf8ToCp1251(std::string_view utf8) { return ToCp1251(utf8, false); }

std::optional<std::string> Utf8ToCp1251Lossy(std::string_view utf8) { return ToCp1251(utf8, true); }

bool IsValidUtf8(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    if (DecodeUtf8(text, &pos) == kBad) return false;
  }
  return true;
}

namespace {
bool StartsCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }
}  // namespace

std::size_t Utf8Length(std::string_view utf8) {
  std::size_t count = 0;
  for (char byte : utf8) count += StartsCharacter(byte) ? 1 : 0;
  return count;
}

std::string_view Utf8Head(std::string_view utf8, std::size_t count) {
  std::size_t seen = 0;
  for (std::size_t pos = 0; pos < utf8.size(); ++pos) {
    if (StartsCharacter(utf8[pos]) && seen++ == count) return utf8.substr(0, pos);
  }
  return utf8;
}

std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) {
    const char32_t c = DecodeUtf8(utf8, &pos);
    if (c == kBad) return std::nullopt;
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::optional<std::string> Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size() * 2);
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = utf16[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= utf16.size() || utf16[i + 1] < 0xDC00 || utf16[i + 1] > 0xDFFF) return std::nullopt;
      c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return std::nullopt;
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::string UpperUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) {
    const size_t start = pos;
    const char32_t c = DecodeUtf8(utf8, &pos);
    if (c == kBad) {  // not UTF-8: the byte stays as it is
      out += utf8[pos++];
      continue;
    }
    const char32_t upper = UpperChar(c);
    if (upper == c) {
      out.append(utf8.substr(start, pos - start));
    } else {
      AppendUtf8(out, upper);
    }
  }
  return out;
}

}  // namespace tlx::platform
