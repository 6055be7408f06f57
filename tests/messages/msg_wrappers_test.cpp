#include "messages/msg_wrappers.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "messages/msg_text.h"
#include "platform/error.h"
#include "recording_sink.h"

namespace tlx::messages {
namespace {

using B = EMsgButton;
using K = EMsgKind;

struct ShownCase {
  const char* name;
  std::function<void()> call;
  K kind;
  const char* text;
  std::vector<B> buttons;
};

TEST(MsgWrappers, OffsetsKindsAndButtons) {
  const std::string missing3005 =
      "Ошибка. Текст сообщения №3005 отсутствует в ресурсах программы## a b";
  const ShownCase cases[] = {
      {"warning 601",
       [] { MsgWarning("Work", 601); },
       K::emk_Warning,
       "Папка Work уже существует. Необходимо выбрать другое имя для папки.",
       {B::emb_Exit}},
      {"query 600",
       [] { MsgQuery("c:\\Tlx", 600); },
       K::emk_Query,
       "Папка c:\\Tlx не существует.#Создавать ?",
       {B::emb_Yes, B::emb_No}},
      {"warning 0 stays 0", [] { MsgWarning("", 0); }, K::emk_Warning, "", {B::emb_Exit}},
      {"query 0 stays 0", [] { MsgQuery("a|b", 0); }, K::emk_Query, "a|b", {B::emb_Yes, B::emb_No}},
      {"error 1",
       [] { MsgError("a.txt", 1); },
       K::emk_Error,
       "Файл a.txt не существует",
       {B::emb_Exit}},
      {"error 99", [] { MsgError("p1|p2", 99); }, K::emk_Error, "p1", {B::emb_Exit}},
      {"warning 99", [] { MsgWarning("p1|p2", 99); }, K::emk_Warning, "p1", {B::emb_Exit}},
      {"query 99", [] { MsgQuery("p1|p2", 99); }, K::emk_Query, "p1", {B::emb_Yes, B::emb_No}},
      {"info 5", [] { MsgInfo("a|b", 5); }, K::emk_Info, missing3005.c_str(), {B::emb_Exit}},
      {"error view",
       [] { MsgErrorView("x", 99, "err.prt", ""); },
       K::emk_Error,
       "x",
       {B::emb_Exit, B::emb_View}},
      {"warning view",
       [] { MsgWarningView("x", 99, "", "war.prt"); },
       K::emk_Warning,
       "x",
       {B::emb_Exit, B::emb_View}},
      {"query view",
       [] { MsgQueryView("x", 99, "err.prt", "war.prt"); },
       K::emk_Query,
       "x",
       {B::emb_Yes, B::emb_View, B::emb_No}},
      {"info view",
       [] { MsgInfoView("x", 0, "e", "w"); },
       K::emk_Info,
       "x",
       {B::emb_Exit, B::emb_View}},
      {"view without files",
       [] { MsgErrorView("x", 0, "", ""); },
       K::emk_Error,
       "x",
       {B::emb_Exit}},
      {"warning ask", [] { MsgWarningAsk("x", 0); }, K::emk_WarningAsk, "x", {B::emb_Exit}},
      {"three way",
       [] { MsgThreeWay("x", 0); },
       K::emk_ThreeWay,
       "x",
       {B::emb_One, B::emb_Two, B::emb_Three}},
      {"query cancel",
       [] { MsgQueryCancel("x", 0); },
       K::emk_QueryCancel,
       "x",
       {B::emb_Yes, B::emb_Refuse, B::emb_No}},
      {"query ask",
       [] { MsgQueryAsk("Как есть $|#"); },
       K::emk_QueryAsk,
       "Как есть $|#",
       {B::emb_Yes, B::emb_No}},
      {"exception",
       [] { MsgException(ZError("a.txt", 1)); },
       K::emk_Error,
       "Файл a.txt не существует",
       {B::emb_Exit}},
      {"exception 0", [] { MsgException(ZError("a|b", 0)); }, K::emk_Error, "a|b", {B::emb_Exit}},
  };
  for (const auto& c : cases) {
    test::SinkScope scope;
    c.call();
    ASSERT_EQ(scope.sink.requests.size(), 1u) << c.name;
    const MessageRequest& r = scope.sink.requests[0];
    EXPECT_EQ(r.style, EMsgStyle::ems_Dialog) << c.name;
    EXPECT_EQ(r.kind, c.kind) << c.name;
    EXPECT_EQ(r.text, c.text) << c.name;
    EXPECT_EQ(r.buttons, c.buttons) << c.name;
    EXPECT_FALSE(r.alarm) << c.name;
  }
}

TEST(MsgWrappers, HandledNumberShowsNothing) {
  test::SinkScope scope;
  MsgError("x", 999);
  MsgErrorView("x", 999, "e", "w");
  MsgException(ZError("x", 999));
  EXPECT_TRUE(scope.sink.requests.empty());
}

TEST(MsgWrappers, ViewFilesAndTitles) {
  {
    test::SinkScope scope(config::kLangRussian);
    MsgQueryView("x", 0, "err.prt", "war.prt");
    EXPECT_EQ(scope.sink.requests[0].err_file, "err.prt");
    EXPECT_EQ(scope.sink.requests[0].warn_file, "war.prt");
    EXPECT_EQ(scope.sink.requests[0].title, "     З а п р о с  !");
  }
  const struct {
    K kind;
    const char* rus;
    const char* ukr;
  } titles[] = {
      {K::emk_Error, "     О ш и б к а  !", "     П о м и л к а  !"},
      {K::emk_Query, "     З а п р о с  !", "     З а п и т  !"},
      {K::emk_Warning, "     П р е д у п р е ж д е н и е  !", "     П о п е р е д ж е н н я  !"},
      {K::emk_Info, "     И н ф о р м а ц и я  !", "     І н ф о р м а ц і я  !"},
      {K::emk_ThreeWay, "     З а п р о с  !", "     З а п и т  !"},
      {K::emk_WarningAsk, "     П р е д у п р е ж д е н и е  !", "     П о п е р е д ж е н н я  !"},
  };
  for (const auto& t : titles) {
    EXPECT_EQ(KindTitle(t.kind, true), t.rus);
    EXPECT_EQ(KindTitle(t.kind, false), t.ukr);
  }
  test::SinkScope scope(config::kLangUkrainian);
  MsgError("x", 0);
  EXPECT_EQ(scope.sink.requests[0].title, "     П о м и л к а  !");
}

struct AnswerCase {
  const char* name;
  MessageAnswer answer;
  std::function<int()> call;
  int expected;
};

TEST(MsgWrappers, AnswersBecomeResults) {
  const int32_t two[] = {605, 1601, 0, 602};
  const AnswerCase cases[] = {
      {"query yes", {B::emb_Yes}, [] { return int(MsgQuery("", 0)); }, 1},
      {"query no", {B::emb_No}, [] { return int(MsgQuery("", 0)); }, 0},
      {"query esc", {B::emb_None}, [] { return int(MsgQuery("", 0)); }, 0},
      {"alarm yes", {B::emb_Yes}, [] { return int(MsgQueryAlarm("", 0)); }, 1},
      {"three 1", {B::emb_One}, [] { return MsgThreeWay("", 0); }, 1},
      {"three 2", {B::emb_Two}, [] { return MsgThreeWay("", 0); }, 2},
      {"three 3", {B::emb_Three}, [] { return MsgThreeWay("", 0); }, 3},
      {"three esc", {B::emb_None}, [] { return MsgThreeWay("", 0); }, 3},
      {"cancel yes", {B::emb_Yes}, [] { return MsgQueryCancel("", 0); }, 1},
      {"cancel no", {B::emb_No}, [] { return MsgQueryCancel("", 0); }, 2},
      {"cancel refuse", {B::emb_Refuse}, [] { return MsgQueryCancel("", 0); }, 3},
      {"cancel esc", {B::emb_None}, [] { return MsgQueryCancel("", 0); }, 2},
      {"ask yes ticked", {B::emb_Yes, true}, [] { return MsgQueryAsk("t"); }, 3},
      {"ask no ticked", {B::emb_No, true}, [] { return MsgQueryAsk("t"); }, 2},
      {"ask yes", {B::emb_Yes, false}, [] { return MsgQueryAsk("t"); }, 1},
      {"ask hidden box", {B::emb_Yes, true}, [] { return MsgQueryAskCaption("t", ""); }, 1},
      {"warning ask ticked", {B::emb_Exit, true}, [] { return int(MsgWarningAsk("", 0)); }, 1},
      {"warning ask clear", {B::emb_Exit, false}, [] { return int(MsgWarningAsk("", 0)); }, 0},
      {"choice 1", {B::emb_Choose, false, 1}, [&] { return MsgChoice("W", two); }, 1},
      {"choice none picked", {B::emb_Choose, false, 0}, [&] { return MsgChoice("W", two); }, 0},
      {"choice bad index", {B::emb_Choose, false, 5}, [&] { return MsgChoice("W", two); }, 0},
      {"choice refuse", {B::emb_Refuse, false, 1}, [&] { return MsgChoice("W", two); }, -1},
      {"choice esc", {B::emb_None}, [&] { return MsgChoice("W", two); }, -1},
  };
  for (const auto& c : cases) {
    test::SinkScope scope;
    scope.sink.answer = c.answer;
    EXPECT_EQ(c.call(), c.expected) << c.name;
    EXPECT_EQ(scope.sink.requests.size(), 1u) << c.name;
  }
}

TEST(MsgWrappers, ChoiceItemsAndEmptyList) {
  test::SinkScope scope;
  const int32_t numbers[] = {605, 1601, -1, 602};
  MsgChoice("W", numbers);
  ASSERT_EQ(scope.sink.requests.size(), 1u);
  EXPECT_EQ(scope.sink.requests[0].choices,
            (std::vector<std::string>{
                "Отсутствует файл TlxSetup_5_320.Cfg",
                "Папка W уже существует. Необходимо выбрать другое имя для папки."}));
  const int32_t empty[] = {0, 605};
  EXPECT_EQ(MsgChoice("W", empty), -1);
  EXPECT_EQ(MsgChoice("W", {}), -1);
  EXPECT_EQ(scope.sink.requests.size(), 1u);
}

TEST(MsgWrappers, QueryAskCaptionAndAlarm) {
  test::SinkScope scope;
  MsgQueryAskCaption("t", "Запомнить");
  MsgQueryAsk("t");
  MsgQueryAlarm("x", 0);
  EXPECT_EQ(scope.sink.requests[0].check_caption, "Запомнить");
  EXPECT_FALSE(scope.sink.requests[1].check_caption.has_value());
  EXPECT_TRUE(scope.sink.requests[2].alarm);
}

TEST(MsgSysError, ContextAloneOrWithSystemText) {
  const std::string system = platform::SystemMessage(platform::err::kFileNotFound);
  const struct {
    uint32_t error;
    std::string expected;
  } cases[] = {
      {0, "a.dat"},
      {platform::err::kFileNotFound, "a.dat#(" + system + ")"},
  };
  for (const auto& c : cases) {
    test::SinkScope scope;
    platform::SetLastError(c.error);
    MsgSysError("a.dat");
    ASSERT_EQ(scope.sink.requests.size(), 1u);
    EXPECT_EQ(scope.sink.requests[0].kind, K::emk_Error);
    EXPECT_EQ(scope.sink.requests[0].text, c.expected);
  }
}

TEST(MessageSink, SetterReturnsPreviousAndDefaultAnswersDefaultButton) {
  test::RecordingSink first;
  test::RecordingSink second;
  EXPECT_EQ(SetMessageSink(&first), nullptr);
  EXPECT_EQ(SetMessageSink(&second), &first);
  EXPECT_EQ(&CurrentMessageSink(), &second);
  EXPECT_EQ(SetMessageSink(nullptr), &second);
  // The default sink shows nothing and takes the default button: yes for questions.
  EXPECT_TRUE(MsgQuery("", 0));
  EXPECT_EQ(MsgQueryCancel("", 0), 1);
  EXPECT_EQ(MsgThreeWay("", 0), 1);
  const int32_t numbers[] = {605, 0};
  EXPECT_EQ(MsgChoice("", numbers), 0);
  EXPECT_TRUE(first.requests.empty());
  EXPECT_TRUE(second.requests.empty());
}

}  // namespace
}  // namespace tlx::messages
