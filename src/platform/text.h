// Text codecs: UTF-8 inside the program, code page 1251 in stored formats, UTF-16 at Win32 calls.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tlx::platform {

// Code page 1251 bytes -> UTF-8. Every byte has a form (0x98 -> U+0098, as Windows maps it).
std::string Cp1251ToUtf8(std::string_view bytes);
// UTF-8 -> code page 1251; nullopt when the input is not valid UTF-8 or holds a character that
// code page 1251 cannot store.
std::optional<std::string> Utf8ToCp1251(std::string_view utf8);
// Same, but characters with no cp1251 form become '?' (invalid UTF-8 still gives nullopt).
std::optional<std::string> Utf8ToCp1251Lossy(std::string_view utf8);
bool IsValidUtf8(std::string_view text);
// Characters of a UTF-8 text (its bytes that start a character), as name-length limits count them.
std::size_t Utf8Length(std::string_view utf8);
// The first `count` characters of a UTF-8 text (the whole text when it is shorter): never cuts a
// character in two.
std::string_view Utf8Head(std::string_view utf8, std::size_t count);

// UTF-8 <-> UTF-16; nullopt on invalid input (unpaired surrogates, bad UTF-8).
std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8);
std::optional<std::string> Utf16ToUtf8(std::u16string_view utf16);

// Upper case as the program compares file names: ASCII and Cyrillic letters (А-Я, Ё, Є, І, Ї, Ґ).
std::string UpperUtf8(std::string_view utf8);

}  // namespace tlx::platform
