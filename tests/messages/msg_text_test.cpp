#include "messages/msg_text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/config_record.h"
#include "messages/clear_list.h"
#include "messages/line_breaks.h"

namespace tlx::messages {
namespace {

// Sets the interface-language byte for one test and clears the record afterwards.
class LanguageScope {
 public:
  explicit LanguageScope(uint8_t lang) {
    config::Config().Clear();
    config::Config().SetInterfaceLanguage(lang);
  }
  ~LanguageScope() { config::Config().Clear(); }
};

struct MsgTextCase {
  int32_t number;
  const char* params;
  uint8_t lang;
  const char* expected;
};

TEST(MsgText, FillsPlaceholdersAndHandlesEdges) {
  const MsgTextCase cases[] = {
      {1, "a.txt", 0, "Файл a.txt не iснує"},
      {1, "a.txt", 1, "Файл a.txt не существует"},
      // A damaged language byte reads as Russian rather than showing both parts.
      {1, "a.txt", 7, "Файл a.txt не существует"},
      {0, "a|b", 1, "a|b"},
      {0, "", 1, ""},
      {1601, "Work", 1, "Папка Work уже существует. Необходимо выбрать другое имя для папки."},
      {1601, "Work", 0, "Папка Work уже существует. Необходимо выбрать другое имя для папки."},
      {2600, "c:\\Tlx", 1, "Папка c:\\Tlx не существует.#Создавать ?"},
      {5000, "x|y", 1, "Ошибка. Текст сообщения №5000 отсутствует в ресурсах программы## x y"},
      {5000, "x|y", 0, "Ошибка. Текст сообщения №5000 отсутствует в ресурсах программы## x y"},
      {5000, "", 1, "Ошибка. Текст сообщения №5000 отсутствует в ресурсах программы"},
      {5000, "a||b", 1, "Ошибка. Текст сообщения №5000 отсутствует в ресурсах программы## a  b"},
      {41, "", 1, "Ошибка. Текст сообщения №41 отсутствует в ресурсах программы"},
      {-3, "", 1, "Ошибка. Текст сообщения №-3 отсутствует в ресурсах программы"},
      // The unfilled "$" becomes a blank between the blanks around it.
      {1, "", 0, "Файл   не iснує"},
      // Three placeholders, one parameter.
      {11, "f", 1, "В файле f длина записи (   ) превышает допустимую    адрес записи &"},
      {10, "f|12", 1, "В файле f неверно задан адрес следующей записи 12"},
      {9, "f", 1, "Прочитана запись нулевой длины из файла f адрес записи &"},
      // Extra parameters are dropped; a trailing "|" adds no parameter.
      {1, "a|b|c", 1, "Файл a не существует"},
      {10, "f|", 1, "В файле f неверно задан адрес следующей записи  "},
      // An empty middle parameter fills its place with nothing.
      {13, "|600", 1, "Недопустимые размеры экрана ( x 600)"},
      // A "$" brought in by a parameter is filled by the next one, or becomes a blank.
      {10, "$|x|y", 1, "В файле x неверно задан адрес следующей записи y"},
      {1, "a$b", 1, "Файл a b не существует"},
      // CR, LF and CR LF inside the list separate parameters too.
      {10, "f\r\n7", 1, "В файле f неверно задан адрес следующей записи 7"},
      // "#" and "&" are left alone.
      {16, "x", 1, "Несоответствие длин при перезаписи.#(Физический файл x)"},
      {99, "p1|p2", 1, "p1"},
      {1099, "p1|p2", 0, "p1"},
      {2099, "p1", 1, "p1"},
      {99, "", 1, " "},
      {605, "", 1, "Отсутствует файл TlxSetup_5_320.Cfg"},
  };
  for (const auto& c : cases) {
    LanguageScope lang(c.lang);
    EXPECT_EQ(MsgText(c.params, c.number), c.expected)
        << "number " << c.number << " params \"" << c.params << "\" lang " << int(c.lang);
  }
}

TEST(MsgText, SplitParams) {
  const struct {
    const char* params;
    std::vector<std::string> expected;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a|b|c", {"a", "b", "c"}},
      {"a||b", {"a", "", "b"}},
      {"a|", {"a"}},
      {"|", {""}},
      {"||", {"", ""}},
      {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitParams(c.params), c.expected) << c.params;
}

struct HookCall {
  uint16_t number = 0;
  bool russian = false;
  int32_t constant = 0;
  int calls = 0;
};

void TestHook(void* context, uint16_t number, bool russian, std::string& text, int32_t constant) {
  auto* call = static_cast<HookCall*>(context);
  *call = HookCall{number, russian, constant, call->calls + 1};
  if (number == 700) text = "Из источника $";
}

TEST(MsgText, SourceHookReplacesStringTable) {
  LanguageScope lang(1);
  HookCall call;
  SetMessageSourceHook(&TestHook, &call);
  EXPECT_EQ(MsgText("x", 700), "Из источника x");
  EXPECT_EQ(call.number, 700);
  EXPECT_TRUE(call.russian);
  EXPECT_EQ(call.constant, 1420);
  // The hook replaces the string table, so a text only the table has is missing now.
  EXPECT_EQ(MsgText("", 605), "Ошибка. Текст сообщения №605 отсутствует в ресурсах программы");
  // The built-in table and the whole-text slots never ask it.
  const int calls = call.calls;
  EXPECT_EQ(MsgText("a", 1), "Файл a не существует");
  EXPECT_EQ(MsgText("a", 99), "a");
  EXPECT_EQ(call.calls, calls);
  SetMessageSourceHook(nullptr, nullptr);
  EXPECT_EQ(MsgText("", 605), "Отсутствует файл TlxSetup_5_320.Cfg");
}

TEST(PickLang, SelectsPart) {
  const struct {
    const char* text;
    int lang;
    const char* expected;
  } cases[] = {
      {"\x04Рус\x05Укр", 1, "Рус"},
      {"\x04Рус\x05Укр", 0, "Укр"},
      {"\x05Укр\x04Рус", 1, "Рус"},
      {"\x05Укр\x04Рус", 0, "Укр"},
      {"\x04Рус\x05Укр", 2, "\x04Рус\x05Укр"},
      {"\x04Рус\x05Укр", -1, "\x04Рус\x05Укр"},
      {"Просто", 1, "Просто"},
      {"Просто", 0, "Просто"},
      {"\x04\x05Укр", 1, ""},  // empty Russian part
      {"\x04\x05Укр", 0, "Укр"},
      {"\x04Рус", 0, ""},  // no Ukrainian part
      {"\x04Рус", 1, "Рус"},
      {"\x05Укр", 1, ""},
      {"до\x04Рус\x05Укр", 1, "Рус"},
      {"", 1, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(PickLang(c.text, c.lang), c.expected) << c.text << " " << c.lang;
}

TEST(IntToFixed, Formats) {
  const struct {
    int32_t value;
    int width;
    char fill;
    int radix;
    const char* expected;
  } cases[] = {
      {7, 3, '0', 10, "007"},
      {1, 3, '0', 10, "001"},
      {999, 3, '0', 10, "999"},
      {1234, 3, '0', 10, "1234"},
      {-5, 0, '0', 10, "-5"},
      {-5, 0, '0', 16, "-5"},
      {-5, 4, '0', 10, "00-5"},
      {255, 4, ' ', 16, "  ff"},
      {-1, 2, '0', 16, "ffffffff"},
      {5, 8, '0', 2, "00000101"},
      {35, 1, '0', 36, "z"},
      {0, 3, '0', 10, "000"},
      {INT32_MIN, 0, '0', 10, "-2147483648"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IntToFixed(c.value, c.width, c.fill, c.radix), c.expected) << c.value << "/" << c.width;
  EXPECT_EQ(IntToText(-2147483647 - 1), "-2147483648");
  EXPECT_EQ(IntToText(42), "42");
}

// Bytes of a hexadecimal text.
std::string Unhex(std::string_view hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
  return out;
}

TEST(MessageTexts, LongTextsByteForByte) {
  const struct {
    int32_t number;
    int lang;  // -1: string table
    const char* hex;
  } cases[] = {
      {11, 1,
       "d09220d184d0b0d0b9d0bbd0b5202420d0b4d0bbd0b8d0bdd0b020d0b7d0b0d0bfd0b8d181d0b820282024202920d0bf"
       "d180d0b5d0b2d18bd188d0b0d0b5d18220d0b4d0bed0bfd183d181d182d0b8d0bcd183d18e20242020d0b0d0b4d180d0"
       "b5d18120d0b7d0b0d0bfd0b8d181d0b82026"},
      // Latin "p" at the start of the word for "edition".
      {33, 1,
       "d0a4d0b0d0b9d0bb20202420d0bdd0b520d181d0bed0bed182d0b2d0b5d182d181d182d0b2d183d0b5d18220d182d0b5"
       "d0bad183d189d0b5d0b92070d0b5d0b4d0b0d0bad186d0b8d0b820d0bad0bed0bcd0bfd0bbd0b5d0bad181d0b0202d20"
       "24"},
      {13, 0,
       "d09dd0b5d0b4d0bed0bfd183d181d182d0b8d0bcd19620d180d0bed0b7d0bcd196d180d0b820d0b5d0bad180d0b0d0bd"
       "d1832028242078202429"},
      {40, 0,
       "20d09bd0bed0b3d196d187d0bdd0b8d0b920d184d0b0d0b9d0bb202420d184d0b0d0b9d0bbd183202420d0b2d0b6d0b5"
       "20d0b2d196d0b4d0bad180d0b8d182d0be"},
      // Trailing double blank.
      {8, 1,
       "d09fd0bed0bfd18bd182d0bad0b020d0bed0b1d0bdd0bed0b2d0bbd0b5d0bdd0b8d18f20d183d0b4d0b0d0bbd0b5d0bd"
       "d0bed0b920d0b7d0b0d0bfd0b8d181d0b820d0b220d184d0b0d0b9d0bbd0b520242020"},
      {604, -1,
       "d09dd0b5d0bed0b1d185d0bed0b4d0b8d0bcd0be20d0bed182d0bad0bbd18ed187d0b8d182d18c20d0bfd180d0b8d0b7"
       "d0bdd0b0d0ba204445502028d0bfd180d0b5d0b4d0bed182d0b2d180d0b0d189d0b5d0bdd0b8d0b520d0b2d18bd0bfd0"
       "bed0bbd0bdd0b5d0bdd0b8d18f20d0b4d0b0d0bdd0bdd18bd185292020d0b4d0bbd18f20d0bdd0b5d0bed181d0bdd0be"
       "d0b2d0bdd18bd18520d181d0bbd183d0b6d0b1"},
      {1603, -1,
       "d092d0bdd0b8d0bcd0b0d0bdd0b8d0b52123d0a1d182d0b0d0b2d0b8d0bc20d092d0b0d18120d0b220d0b8d0b7d0b2d0"
       "b5d181d182d0bdd0bed181d182d18c2c20d187d182d0be20d0b220d181d0bbd0b5d0b4d183d18ed189d0b5d0b920d180"
       "d0b5d0b4d0b0d0bad186d0b8d0b820d09fd09a20d0a2d09bd09a3520d0bdd0b520d0b1d183d0b4d0b5d18220d184d183"
       "d0bdd0bad186d0b8d0bed0bdd0b8d180d0bed0b2d0b0d182d18c20d0bfd0bed0b420d183d0bfd180d0b0d0b2d0bbd0b5"
       "d0bdd0b8d0b5d0bc20d0bed0bfd0b5d180d0b0d186d0b8d0bed0bdd0bdd18bd18520d181d0b8d181d182d0b5d0bc3a23"
       "57696e646f77732039382c2357696e646f777320323030302c2357696e646f7773204e54342028d0b820d0bcd0bbd0b0"
       "d0b4d188d0b5292c2357696e646f7773204d65"},
  };
  for (const auto& c : cases) {
    const std::string expected = Unhex(c.hex);
    if (c.lang < 0) {
      EXPECT_EQ(StringTableText(c.number), expected) << c.number;
      LanguageScope lang(1);
      EXPECT_EQ(MsgText("", c.number), expected) << c.number;  // no placeholder to blank
    } else {
      EXPECT_EQ(PickLang(BuiltinText(c.number), c.lang), expected) << c.number;
    }
  }
}

TEST(MessageTexts, EveryBuiltinEntryHasBothLanguages) {
  for (int32_t n = 1; n <= 40; ++n) {
    for (int lang : {kLangRussian, kLangUkrainian}) {
      const std::string part = PickLang(BuiltinText(n), lang);
      EXPECT_FALSE(part.empty()) << n;
      EXPECT_EQ(part.find_first_of("\x04\x05"), std::string::npos) << n;
    }
  }
  EXPECT_TRUE(BuiltinText(0).empty());
  EXPECT_TRUE(BuiltinText(41).empty());
}

TEST(LineBreaks, ConvertsBothWays) {
  EXPECT_EQ(HashToCrLf("a#b##c#"), "a\r\nb\r\n\r\nc\r\n");
  EXPECT_EQ(HashToCrLf("abc"), "abc");
  EXPECT_EQ(JoinLinesWithHash({"a", "", "b"}), "a##b");
  EXPECT_EQ(JoinLinesWithHash({"a"}), "a");
  EXPECT_EQ(JoinLinesWithHash({}), "");
}

TEST(ClearList, FreesInOrderThenEmptiesOrDestroys) {
  for (bool destroy : {false, true}) {
    int a = 1, b = 2, c = 3;
    auto list = std::make_unique<std::vector<int*>>(std::vector<int*>{&a, &b, &c});
    std::vector<std::pair<int, std::size_t>> freed;
    std::vector<int*>* raw = list.get();
    ClearList(list, destroy, [&](int* item, std::size_t index) {
      // Entries before this one are already null; this one is not yet.
      for (std::size_t i = 0; i < index; ++i) EXPECT_EQ((*raw)[i], nullptr);
      EXPECT_EQ((*raw)[index], item);
      freed.emplace_back(*item, index);
    });
    EXPECT_EQ(freed, (std::vector<std::pair<int, std::size_t>>{{1, 0}, {2, 1}, {3, 2}}));
    if (destroy) {
      EXPECT_EQ(list, nullptr);
    } else {
      ASSERT_NE(list, nullptr);
      EXPECT_TRUE(list->empty());
    }
  }
  std::unique_ptr<std::vector<int*>> none;
  int calls = 0;
  ClearList(none, true, [&](int*, std::size_t) { ++calls; });
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace tlx::messages
