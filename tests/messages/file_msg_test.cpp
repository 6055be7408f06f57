#include "messages/file_msg.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "recording_sink.h"

namespace tlx::messages {
namespace {

TEST(FileCatalog, TextsByLanguageAndUnknownIdentifier) {
  const struct {
    uint8_t lang;
    uint32_t id;
    const char* expected;
  } cases[] = {
      {1, 1, "Файл $ уже существует. #Перекрывать ?"},
      {0, 1, "Файл $ вже існує. #Перекривать ?"},
      {1, 51, "Не задано имя файла "},
      {0, 51, "Не задано ім'я файлу "},
      {1, 59, "Попытка записи для режиме чтения (файл $)"},
      {0, 61, "Відсутня ознака кінця текстового рядка (файл $)"},
      {1, 62, "Отсутствует текст сообщения.#Номер =62"},
      {0, 62, "Відсутній текст повідомлення.#Номер =62"},
      {1, 0, "Отсутствует текст сообщения.#Номер =0"},  // the table's end is never a text
  };
  for (const auto& c : cases) EXPECT_EQ(FileCatalogText(c.lang, c.id), c.expected) << c.id;
}

TEST(TBsMssg, CatalogAndSystemTexts) {
  TBsMssg box;
  EXPECT_FALSE(box.Text().has_value());
  EXPECT_EQ(box.Lang(), 1);
  box.SetCatalogText(0, fmsg::kClosedFile, "a.dat");
  EXPECT_EQ(box.Text(), "Спроба виконання операції для закритого файлу (a.dat)");
  EXPECT_EQ(box.Lang(), 0);

  const std::string system = platform::SystemMessage(platform::err::kAccessDenied);
  ASSERT_FALSE(system.empty());
  box.SetSystemText(1, platform::err::kAccessDenied, "a.dat");
  EXPECT_EQ(box.Text(), "Системное сообщения: #" + system);
  box.SetSystemText(0, platform::err::kAccessDenied, "a.dat");
  EXPECT_EQ(box.Text(), "Системное повідомлення: #" + system);
  box.SetSystemText(1, 0xE4001234, "a.dat");
  EXPECT_EQ(box.Text(), "Системное сообщения: #Отсутствует текст системного сообщения.");
  box.SetSystemText(0, 0xE4001234, "a.dat");
  EXPECT_EQ(box.Text(), "Системное повідомлення: #Відсутній текст системного повідомлення.");
}

TEST(TBsMssg, KindsTitlesButtonsColours) {
  using B = EMsgButton;
  const struct {
    int kind;
    const char* title_rus;
    std::vector<B> buttons;
    uint32_t colour;
  } cases[] = {
      {0, "Информация", {B::emb_Close}, 0x0080FF80},
      {1, "Предупреждение", {B::emb_Close}, 0x0000FFFF},
      {2, "Ошибка", {B::emb_Close}, 0x008080FF},
      {3, "Выбор", {B::emb_Yes, B::emb_No}, 0x00FFFF80},
      {4, "Информация", {B::emb_Close, B::emb_View}, 0x0080FF80},
      {5, "Предупреждение", {B::emb_Close, B::emb_View}, 0x0000FFFF},
      {6, "Ошибка", {B::emb_Close, B::emb_View}, 0x008080FF},
      {7, "Выбор", {B::emb_Yes, B::emb_View, B::emb_No}, 0x00FFFF80},
  };
  for (const auto& c : cases) {
    test::SinkScope scope;
    TBsMssg box;
    box.SetCatalogText(1, fmsg::kNotFound, "f");
    box.ShowKind(c.kind);
    ASSERT_EQ(scope.sink.requests.size(), 1u);
    const MessageRequest& r = scope.sink.requests[0];
    EXPECT_EQ(r.style, EMsgStyle::ems_FileBox);
    EXPECT_EQ(r.file_box_kind, c.kind);
    EXPECT_EQ(r.title, c.title_rus);
    EXPECT_EQ(r.buttons, c.buttons);
    EXPECT_EQ(r.colour, c.colour);
    EXPECT_EQ(r.text, "Не найден файл f");
  }
  EXPECT_EQ(BsKind(8), nullptr);
  EXPECT_EQ(BsKind(-1), nullptr);
  EXPECT_EQ(BsKind(2)->title_ukr, "Помилка");
  EXPECT_EQ(BsButtonCaption(EBsButton::ebb_No, 0), "Нi");
  EXPECT_EQ(BsButtonCaption(EBsButton::ebb_View, 1), "Просмотр");
}

TEST(TBsMssg, ResultIsTwoOnlyForYes) {
  const struct {
    int kind;
    EMsgButton answer;
    uint8_t result;
  } cases[] = {
      {3, EMsgButton::emb_Yes, 2},  {3, EMsgButton::emb_No, 0},    {3, EMsgButton::emb_None, 0},
      {7, EMsgButton::emb_View, 0}, {2, EMsgButton::emb_Close, 0},
  };
  for (const auto& c : cases) {
    test::SinkScope scope;
    scope.sink.answer.button = c.answer;
    TBsMssg box;
    EXPECT_EQ(box.ShowKind(c.kind), c.result);
  }
  test::SinkScope scope;
  scope.sink.answer.button = EMsgButton::emb_Yes;
  TBsMssg box;
  EXPECT_TRUE(box.AskYesNo());
  EXPECT_EQ(box.ShowKind(9), 0);  // unknown kind: nothing shown
  EXPECT_EQ(scope.sink.requests.size(), 1u);
}

TEST(FileMsgLang, StartsRussian) {
  EXPECT_EQ(FileMsgLang(), 1);
  SetFileMsgLang(0);
  EXPECT_EQ(FileMsgLang(), 0);
  SetFileMsgLang(1);
}

}  // namespace
}  // namespace tlx::messages
