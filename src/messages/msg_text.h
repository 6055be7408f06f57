// The numbered message catalogue and the small text helpers of the framework. Texts are UTF-8;
// the markers "$" (placeholder), "|" (parameter separator), "#" (line break), 0x04 and 0x05
// (Russian and Ukrainian parts of a bilingual text) are single bytes in it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tlx::messages {

// Language codes of bilingual texts: 1 Russian, 0 Ukrainian.
inline constexpr int kLangRussian = 1;
inline constexpr int kLangUkrainian = 0;

// Bilingual text markers.
inline constexpr char kRussianMark = '\x04';
inline constexpr char kUkrainianMark = '\x05';

// The final text of message `number` with the "|"-separated parameters filled into its "$"
// placeholders left to right; remaining "$" become blanks. Number 0 returns `params` unchanged;
// 1..40 are the built-in bilingual texts (language: interface-language byte of the configuration
// record); 99, 1099, 2099 show the first parameter; other numbers come from the message-source
// hook or the string table (its bilingual texts in the same language). A number without text gives the missing-text message. Never throws
// (except std::bad_alloc).
std::string MsgText(std::string_view params, int32_t number);

// The parameters of a "|"-separated list ("a||b" holds three, "" none, a trailing "|" adds none).
std::vector<std::string> SplitParams(std::string_view params);

// The part of a bilingual text for `lang` (1 Russian, 0 Ukrainian); other codes, or a text without
// markers, return the text unchanged. A missing part gives the empty text.
std::string PickLang(std::string_view text, int lang);

// `value` in `radix` (2..36; digits then lower-case letters; only radix 10 is signed),
// right-aligned in `width` characters filled with `fill` on the left; never truncated. Width 0:
// signed decimal.
std::string IntToFixed(int32_t value, int width, char fill, int radix);

// Signed decimal text of `value`.
std::string IntToText(int32_t value);

// The built-in bilingual text of entry 1..40 (both parts, with their markers); empty otherwise.
std::string_view BuiltinText(int32_t number);

// The string-table text of `number` (monolingual, or bilingual with both markers); empty when the
// program has none.
std::string_view StringTableText(int32_t number);

// Message-source hook: when set, asked for every text outside the built-in table and the
// whole-text slots. Arguments: the context, the number as an unsigned 16-bit value, true when the
// interface language is not Ukrainian, the result text, and the constant 1420. Cleared at start.
using MessageSourceHook = void (*)(void* context, uint16_t number, bool russian, std::string& text,
                                   int32_t constant);
inline constexpr int32_t kMessageSourceConstant = 1420;
void SetMessageSourceHook(MessageSourceHook hook, void* context);

}  // namespace tlx::messages
