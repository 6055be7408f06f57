#include "messages/msg_text.h"

#include <cstdint>

#include "config/config_record.h"

namespace tlx::messages {
namespace {

struct SourceHook {
  MessageSourceHook hook = nullptr;
  void* context = nullptr;
};

SourceHook& Hook() {
  static SourceHook hook;
  return hook;
}

bool IsWholeTextSlot(int32_t number) { return number == 99 || number == 1099 || number == 2099; }

// Replaces every `from` byte by `to`.
std::string ReplaceAll(std::string_view text, char from, std::string_view to) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == from)
      out += to;
    else
      out += c;
  }
  return out;
}

// The language byte of the interface as a PickLang code: a damaged record (a value other than
// 0 or 1) is read as Russian, as the dialog titles read it, rather than showing both parts.
int InterfaceLang() {
  return config::Config().InterfaceLanguage() == 0 ? kLangUkrainian : kLangRussian;
}

}  // namespace

std::vector<std::string> SplitParams(std::string_view params) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;  // a line has started and is not yet ended
  for (std::size_t i = 0; i < params.size(); ++i) {
    const char c = params[i];
    if (c == '|' || c == '\n' || c == '\r') {
      lines.push_back(std::move(line));
      line.clear();
      open = false;
      if (c == '\r' && i + 1 < params.size() && params[i + 1] == '\n') ++i;
    } else {
      line += c;
      open = true;
    }
  }
  if (open) lines.push_back(std::move(line));
  return lines;
}

std::string PickLang(std::string_view text, int lang) {
  const std::size_t r = text.find(kRussianMark);
  const std::size_t u = text.find(kUkrainianMark);
  const bool has_r = r != std::string_view::npos;
  const bool has_u = u != std::string_view::npos;
  if ((lang != kLangRussian && lang != kLangUkrainian) || (!has_r && !has_u))
    return std::string(text);
  const bool russian = lang == kLangRussian;
  const std::size_t own = russian ? r : u;
  const std::size_t other = russian ? u : r;
  if (own == std::string_view::npos) return {};
  const std::size_t end = (other != std::string_view::npos && other > own) ? other : text.size();
  return std::string(text.substr(own + 1, end - own - 1));
}

std::string IntToText(int32_t value) { return std::to_string(value); }

std::string IntToFixed(int32_t value, int width, char fill, int radix) {
  if (width == 0) return IntToText(value);
  if (radix < 2 || radix > 36) radix = 10;
  std::string digits;
  if (radix == 10) {
    digits = IntToText(value);
  } else {
    auto v = static_cast<uint32_t>(value);
    do {
      const auto d = static_cast<int>(v % static_cast<uint32_t>(radix));
      digits.insert(digits.begin(), static_cast<char>(d < 10 ? '0' + d : 'a' + d - 10));
      v /= static_cast<uint32_t>(radix);
    } while (v != 0);
  }
  if (width < static_cast<int>(digits.size())) return digits;
  return std::string(static_cast<std::size_t>(width) - digits.size(), fill) + digits;
}

void SetMessageSourceHook(MessageSourceHook hook, void* context) {
  Hook() = SourceHook{hook, context};
}

std::string MsgText(std::string_view params, int32_t number) {
  const std::vector<std::string> parts = SplitParams(params);
  if (number == 0) return std::string(params);

  std::string text;
  if (!BuiltinText(number).empty()) {
    text = PickLang(BuiltinText(number), InterfaceLang());
  } else if (IsWholeTextSlot(number)) {
    text = "$";
  } else if (const SourceHook& hook = Hook(); hook.hook != nullptr) {
    hook.hook(hook.context, static_cast<uint16_t>(number), config::Config().InterfaceLanguage() != 0,
              text, kMessageSourceConstant);
  } else {
    text = PickLang(StringTableText(number), InterfaceLang());
  }

  if (text.empty()) {
    text = "Ошибка. Текст сообщения №" + IntToText(number) + " отсутствует в ресурсах программы";
    if (!parts.empty()) {
      text += "##";
      text += std::string(parts.size(), '$');
      text = ReplaceAll(text, '$', " $");
    }
  }

  for (const std::string& part : parts) {
    const std::size_t at = text.find('$');
    if (at == std::string::npos) break;  // the remaining parameters have no place
    text.replace(at, 1, part);
  }
  return ReplaceAll(text, '$', " ");
}

}  // namespace tlx::messages
