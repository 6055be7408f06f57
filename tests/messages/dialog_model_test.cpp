#include "messages/dialog_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "messages/fake_measurer.h"
#include "messages/msg_wrappers.h"
#include "messages/scale_form.h"

namespace tlx::messages {
namespace {

using test::FakeMeasurer;
using B = EMsgButton;
using C = DlgControl;

constexpr DlgFrame kFrame{6, 25};

DialogModel Prepared(EMsgKind kind, std::string text, bool files = false, ELang lang = elg_Rus) {
  DialogModel model(kind, false, lang, kFrame);
  model.SetText(std::move(text));
  if (files) model.SetFiles("c:\\err.txt", "c:\\war.txt");
  model.Prepare(FakeMeasurer{}, true);
  return model;
}

// Expected state of a button after Prepare.
struct Btn {
  bool visible;
  const char* caption;
  DlgRect rect;
  B role;
};

struct KindCase {
  const char* name;
  EMsgKind kind;
  bool files;
  Btn yes, watch, no;
  C reference;
  int picture;
  int shift;
};

// A one-line text (19 pixels with its margin) leaves the reference control at the floor, 74.
const KindCase kKindCases[] = {
    {"Error", EMsgKind::emk_Error, false,
     {false, "&Да", {16, 136, 50, 20}, B::emb_Yes},
     {true, "&Выход", {133, 74, 75, 20}, B::emb_Exit},
     {false, "&Просмотр", {251, 136, 75, 20}, B::emb_View}, C::btWatchExit, 0, 62},
    {"ErrorWithFiles", EMsgKind::emk_Error, true,
     {false, "&Да", {16, 136, 50, 20}, B::emb_Yes},
     {true, "&Выход", {133, 74, 75, 20}, B::emb_Exit},
     {true, "&Просмотр", {251, 74, 75, 20}, B::emb_View}, C::btWatchExit, 0, 62},
    {"Query", EMsgKind::emk_Query, false,
     {true, "&Да", {16, 74, 50, 20}, B::emb_Yes},
     {false, "&Просмотр", {133, 136, 75, 20}, B::emb_View},
     {true, "&Нет", {276, 74, 50, 20}, B::emb_No}, C::btYes, 1, 62},
    {"QueryWithFiles", EMsgKind::emk_Query, true,
     {true, "&Да", {16, 74, 50, 20}, B::emb_Yes},
     {true, "&Просмотр", {133, 74, 75, 20}, B::emb_View},
     {true, "&Нет", {276, 74, 50, 20}, B::emb_No}, C::btYes, 1, 62},
    {"Warning", EMsgKind::emk_Warning, false,
     {false, "&Да", {16, 136, 50, 20}, B::emb_Yes},
     {true, "&Выход", {133, 74, 75, 20}, B::emb_Exit},
     {false, "&Просмотр", {251, 136, 75, 20}, B::emb_View}, C::btWatchExit, 2, 62},
    {"ThreeWay", EMsgKind::emk_ThreeWay, false,
     {true, "1", {16, 74, 50, 20}, B::emb_One},
     {true, "2", {145, 74, 50, 20}, B::emb_Two},
     {true, "3", {276, 74, 50, 20}, B::emb_Three}, C::btYes, 1, 62},
    {"QueryAsk", EMsgKind::emk_QueryAsk, false,
     {true, "&Да", {16, 98, 50, 20}, B::emb_Yes},
     {false, "&Просмотр", {133, 136, 75, 20}, B::emb_View},
     {true, "&Нет", {276, 98, 50, 20}, B::emb_No}, C::Ask, 1, 38},
    {"InfoWithFiles", EMsgKind::emk_Info, true,
     {false, "&Да", {16, 136, 50, 20}, B::emb_Yes},
     {true, "&Выход", {133, 74, 75, 20}, B::emb_Exit},
     {true, "&Просмотр", {251, 74, 75, 20}, B::emb_View}, C::btWatchExit, 3, 62},
    {"WarningAskNeverViews", EMsgKind::emk_WarningAsk, true,
     {false, "&Да", {16, 136, 50, 20}, B::emb_Yes},
     {true, "&Выход", {133, 98, 75, 20}, B::emb_Exit},
     {false, "&Просмотр", {251, 136, 75, 20}, B::emb_View}, C::Ask, 2, 38},
    {"QueryCancel", EMsgKind::emk_QueryCancel, false,
     {true, "&Да", {16, 74, 50, 20}, B::emb_Yes},
     {true, "&Отказ", {133, 74, 75, 20}, B::emb_Refuse},
     {true, "&Нет", {276, 74, 50, 20}, B::emb_No}, C::btWatchExit, 1, 62},
};

class KindGeometry : public ::testing::TestWithParam<KindCase> {};

void ExpectButton(const DialogModel& model, C c, const Btn& want, const char* which) {
  SCOPED_TRACE(which);
  const DlgControlState& s = model.control(c);
  EXPECT_EQ(s.visible, want.visible);
  EXPECT_EQ(s.caption, want.caption);
  EXPECT_EQ(s.rect, want.rect);
  EXPECT_EQ(s.role, want.role);
}

TEST_P(KindGeometry, ButtonsCaptionsAndShift) {
  const KindCase& c = GetParam();
  DialogModel model = Prepared(c.kind, "A", c.files);
  ExpectButton(model, C::btYes, c.yes, "btYes");
  ExpectButton(model, C::btWatchExit, c.watch, "btWatchExit");
  ExpectButton(model, C::btNoWatch, c.no, "btNoWatch");
  EXPECT_EQ(model.reference(), c.reference);
  EXPECT_EQ(model.picture_index(), c.picture);
  EXPECT_EQ(model.shift(), c.shift);
  EXPECT_EQ(model.client_height(), kDialogClientHeight - c.shift);
  EXPECT_EQ(model.window_height(), kDialogClientHeight - c.shift + kFrame.height);
  // The picture is centred above the reference control, which sits 10 below the picture's height.
  EXPECT_EQ(model.control(c.reference).rect.top, kPictureSize + 10);
  EXPECT_EQ(model.control(C::Image).rect, (DlgRect{16, (kPictureSize + 10 - kPictureSize) / 2, 64, 64}));
  EXPECT_EQ(model.text_height(), FakeMeasurer::kLineHeight + 6);
}

INSTANTIATE_TEST_SUITE_P(Kinds, KindGeometry, ::testing::ValuesIn(kKindCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DialogModel, CheckBoxOfTheAskKinds) {
  DialogModel ask = Prepared(EMsgKind::emk_QueryAsk, "A");
  EXPECT_TRUE(ask.control(C::Ask).visible);
  EXPECT_EQ(ask.control(C::Ask).caption, "&Не задавать больше этот вопрос");
  // 30 characters drawn need 200 pixels with the square: wider than designed, so widened and centred.
  EXPECT_EQ(ask.control(C::Ask).rect, (DlgRect{(342 - 200) / 2, 74, 30 * FakeMeasurer::kCharWidth + 20, 17}));
  // Kind 7 shows its own caption, widened by the difference of the captions and centred.
  DialogModel warn = Prepared(EMsgKind::emk_WarningAsk, "A");
  // 30 characters drawn of the design caption (its "&" is not), 44 of the new one.
  const int wider = std::max(193 + (44 - 30) * FakeMeasurer::kCharWidth, 44 * FakeMeasurer::kCharWidth + 20);
  EXPECT_EQ(warn.control(C::Ask).caption, "В дальнейшем не выводить это предупреждение.");
  EXPECT_EQ(warn.control(C::Ask).rect, (DlgRect{(342 - wider) / 2, 74, wider, 17}));
  // A caller's caption replaces it the same way; an empty one hides the box.
  DialogModel mine(EMsgKind::emk_QueryAsk, false, elg_Rus, kFrame);
  mine.SetAskCaption("Short");
  mine.Prepare(FakeMeasurer{}, true);
  const int narrower = 5 * FakeMeasurer::kCharWidth + 20;  // never narrower than the caption needs
  EXPECT_EQ(mine.control(C::Ask).rect, (DlgRect{(342 - narrower) / 2, 74, narrower, 17}));
  DialogModel hidden(EMsgKind::emk_QueryAsk, false, elg_Rus, kFrame);
  hidden.SetAskCaption("");
  hidden.Prepare(FakeMeasurer{}, true);
  EXPECT_FALSE(hidden.control(C::Ask).visible);
}

// Windows scaled as they are created: at 125 % every place and size of the design grows, the font
// becomes Arial of the scaled height, and the text is then fitted in the larger window as usual.
TEST(DialogModel, ScaledOnCreationAtAnotherScale) {
  DialogModel same(EMsgKind::emk_QueryAsk, false, elg_Rus, kFrame);
  same.Scale(FormScale{}, 96);
  EXPECT_EQ(same.client_width(), kDialogClientWidth);
  EXPECT_EQ(same.font_name(), "MS Sans Serif");
  EXPECT_EQ(same.font_height(), -11);

  DialogModel model(EMsgKind::emk_QueryAsk, false, elg_Rus, kFrame);
  model.SetText("A");
  model.Scale(ScreenFormScale(120), 120);
  EXPECT_EQ(model.client_width(), 428);   // 342 * 1.25 = 427.5
  EXPECT_EQ(model.client_height(), 208);  // 166 * 1.25 = 207.5
  EXPECT_EQ(model.font_name(), "Arial");
  EXPECT_EQ(model.font_height(), -14);    // -13.75; the 120 ppi screen asks for no further change
  EXPECT_EQ(model.control(C::Image).rect, (DlgRect{20, 45, 80, 80}));
  EXPECT_EQ(model.control(C::btYes).rect, (DlgRect{20, 170, 63, 25}));
  EXPECT_EQ(model.control(C::btNoWatch).rect, (DlgRect{345, 170, 63, 25}));
  EXPECT_EQ(model.control(C::Ask).rect, (DlgRect{100, 140, 241, 21}));
  model.Prepare(FakeMeasurer{}, true);
  // The text area and the fit follow the scaled picture: the reference control 10 below it.
  EXPECT_EQ(model.TextArea().left, 2 * 20 + 80);
  EXPECT_EQ(model.TextArea().right, 428 - 3);
  EXPECT_EQ(model.control(C::Ask).rect.top, 80 + 10);
  EXPECT_EQ(model.control(C::Ask).rect.width, 241);  // 180 + 20 drawn fits the scaled box
  EXPECT_EQ(model.client_height(), 208 - model.shift());
  EXPECT_EQ(model.window_width(), 428 + kFrame.width);
}

// A face of `width` pixels per character, 13 high: another system's substitute for the designer's.
class FaceMeasurer : public TextMeasurer {
 public:
  explicit FaceMeasurer(int width) : width_(width) {}
  int TextWidth(std::string_view utf8, const TextFormat&) const override {
    return static_cast<int>(Utf8CharCount(utf8)) * width_;
  }
  int TextHeight(std::string_view, const TextFormat&) const override { return 13; }

 private:
  int width_;
};

TEST(DialogModel, TheDesignedCheckBoxHoldsItsCaptionInAWiderFace) {
  // 30 characters drawn of "&Не задавать больше этот вопрос" and the square beside them.
  struct Case {
    int char_width;
    DlgRect rect;
  };
  const Case cases[] = {
      {5, {80, 74, 193, 17}},                         // fits: as designed
      {7, {(342 - 230) / 2, 74, 30 * 7 + 20, 17}},    // centred, wide enough
      {12, {0, 74, 342, 17}},                         // never wider than the window
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.char_width);
    DialogModel model(EMsgKind::emk_QueryAsk, false, elg_Rus, kFrame);
    model.SetText("A");
    model.Prepare(FaceMeasurer(c.char_width), true);
    EXPECT_EQ(model.control(C::Ask).rect, c.rect);
    EXPECT_EQ(model.control(C::Ask).caption, "&Не задавать больше этот вопрос");
  }
}

TEST(DialogModel, UkrainianCaptionsFollowTheControlsLanguage) {
  DialogModel query = Prepared(EMsgKind::emk_Query, "A", true, elg_Ukr);
  EXPECT_EQ(query.control(C::btYes).caption, "&Так");
  EXPECT_EQ(query.control(C::btNoWatch).caption, "&Ні");
  EXPECT_EQ(query.control(C::btWatchExit).caption, "&Перегляд");
  DialogModel cancel = Prepared(EMsgKind::emk_QueryCancel, "A", false, elg_Ukr);
  EXPECT_EQ(cancel.control(C::btWatchExit).caption, "&Відмова");
  DialogModel error = Prepared(EMsgKind::emk_Error, "A", false, elg_Ukr);
  EXPECT_EQ(error.control(C::btWatchExit).caption, "&Вихід");
}

TEST(DialogModel, TallTextGrowsTheWindow) {
  std::string text;
  for (int i = 0; i < 20; ++i) text += "line#";
  DialogModel model = Prepared(EMsgKind::emk_Error, text);
  const int height = 20 * FakeMeasurer::kLineHeight + 6;
  EXPECT_EQ(model.text_height(), height);
  EXPECT_EQ(model.shift(), -kFrame.height + 136 - height);
  EXPECT_LT(model.shift(), 0);
  EXPECT_GT(model.client_height(), kDialogClientHeight);
  EXPECT_EQ(model.control(C::btWatchExit).rect.top, 136 - model.shift());
  // Every line fits in the text area above the button.
  DrawArea area = model.TextArea();
  EXPECT_LE(area.bottom, model.control(C::btWatchExit).rect.top);
  EXPECT_EQ(model.PlacedText(FakeMeasurer{}).size(), 20u);
}

TEST(DialogModel, TildeAlignsLeftAndBreaksStillWork) {
  DialogModel model = Prepared(EMsgKind::emk_Info, "~A#B");
  EXPECT_EQ(model.align(), LineAlign::Left);
  auto lines = model.PlacedText(FakeMeasurer{});
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(model.text().substr(lines[0].start, lines[0].length), "A");
  EXPECT_EQ(model.text().substr(lines[1].start, lines[1].length), "B");
  DrawArea area = model.TextArea();
  EXPECT_EQ(area.left, 2 * 16 + 64);
  EXPECT_EQ(area.right, 342 - 3);
  EXPECT_EQ(lines[0].x, area.left);
  EXPECT_EQ(lines[1].y, area.top + FakeMeasurer::kLineHeight);
  // Centred without the tilde.
  DialogModel centred = Prepared(EMsgKind::emk_Info, "A#B");
  EXPECT_EQ(centred.PlacedText(FakeMeasurer{})[0].x, area.left + (area.right - area.left - 6) / 2);
}

TEST(DialogModel, AlarmLookIsRedWithBoldText) {
  DialogModel model(EMsgKind::emk_Query, true, elg_Rus, kFrame);
  model.SetText(std::string(36, 'a'));  // 216 pixels in the normal font, 252 in bold
  model.Prepare(FakeMeasurer{}, true);
  EXPECT_EQ(model.picture_index(), 1 + kAlarmPictureOffset);
  EXPECT_EQ(model.background(), kClRed);
  EXPECT_EQ(model.layout().lines.size(), 2u);
  EXPECT_EQ(Prepared(EMsgKind::emk_Query, std::string(36, 'a')).layout().lines.size(), 1u);
  EXPECT_EQ(Prepared(EMsgKind::emk_Query, "A").background(), kClSkyBlue);
}

TEST(DialogModel, ChoiceRowsAndButtons) {
  DialogModel model(EMsgKind::emk_Choice, false, elg_Rus, kFrame);
  model.AddChoice("one");
  model.AddChoice("two#lines");
  model.AddChoice("three");
  model.Prepare(FakeMeasurer{}, true);
  const int h = FakeMeasurer::kLineHeight;
  EXPECT_EQ(model.row_spacing(), h);
  EXPECT_EQ(model.text_height(), (h + h) + (2 * h + h) + (h + h));
  EXPECT_EQ(model.control(C::btYes).caption, "&Выбрать");
  EXPECT_EQ(model.control(C::btYes).rect.width, 75);
  EXPECT_EQ(model.control(C::btNoWatch).caption, "&Отказаться");
  EXPECT_EQ(model.control(C::btNoWatch).rect.left, 342 + kFrame.width - 75 - 25);
  EXPECT_FALSE(model.control(C::btWatchExit).visible);
  const int ref_top = 136 - model.shift();
  EXPECT_EQ(ref_top, std::max(74, kFrame.height + model.text_height()));
  DrawArea area = model.TextArea();
  ASSERT_EQ(model.choices().size(), 3u);
  int y = area.top;
  for (const ChoiceItem& item : model.choices()) {
    EXPECT_EQ(item.radio.left, area.left);
    EXPECT_EQ(item.radio.top, y);  // the radio is as high as a line here
    EXPECT_EQ(item.text_left, area.left + kChoiceRadioSize + kChoiceRadioGap);
    y += item.height + h;
  }
  auto second = model.PlacedChoice(1, FakeMeasurer{});
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[0].x, model.choices()[1].text_left);
  EXPECT_EQ(second[1].y, model.choices()[1].text_top + h);
}

// What each button answers, per kind, with the check box ticked and the second item chosen.
struct ClickCase {
  EMsgKind kind;
  C control;
  std::optional<B> answer;  // nullopt: the window stays open
};

TEST(DialogModel, ButtonsAnswer) {
  const ClickCase cases[] = {
      {EMsgKind::emk_Error, C::btWatchExit, B::emb_Exit},
      {EMsgKind::emk_Error, C::btNoWatch, std::nullopt},  // view
      {EMsgKind::emk_Query, C::btYes, B::emb_Yes},
      {EMsgKind::emk_Query, C::btNoWatch, B::emb_No},
      {EMsgKind::emk_Query, C::btWatchExit, std::nullopt},
      {EMsgKind::emk_ThreeWay, C::btYes, B::emb_One},
      {EMsgKind::emk_ThreeWay, C::btWatchExit, B::emb_Two},
      {EMsgKind::emk_ThreeWay, C::btNoWatch, B::emb_Three},
      {EMsgKind::emk_QueryAsk, C::btYes, B::emb_Yes},
      {EMsgKind::emk_QueryAsk, C::btNoWatch, B::emb_No},
      {EMsgKind::emk_Choice, C::btYes, B::emb_Choose},
      {EMsgKind::emk_Choice, C::btNoWatch, B::emb_Refuse},
      {EMsgKind::emk_WarningAsk, C::btWatchExit, B::emb_Exit},
      {EMsgKind::emk_QueryCancel, C::btYes, B::emb_Yes},
      {EMsgKind::emk_QueryCancel, C::btWatchExit, B::emb_Refuse},
      {EMsgKind::emk_QueryCancel, C::btNoWatch, B::emb_No},
  };
  for (const ClickCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind) * 10 + static_cast<int>(c.control));
    DialogModel model = Prepared(c.kind, "A", true);
    model.AddChoice("x");
    model.AddChoice("y");
    model.SetChecked(true);
    model.SelectChoice(1);
    auto answer = model.Click(c.control);
    ASSERT_EQ(answer.has_value(), c.answer.has_value());
    if (!answer) continue;
    EXPECT_EQ(answer->button, *c.answer);
    EXPECT_TRUE(answer->checked);
    EXPECT_EQ(answer->chosen, 1);
  }
  DialogModel model = Prepared(EMsgKind::emk_Query, "A");
  EXPECT_FALSE(model.Click(C::btWatchExit).has_value());  // hidden: no view without files
  EXPECT_EQ(model.Escape().button, B::emb_None);
}

TEST(DialogModel, ViewNeedsEveryGivenFile) {
  DialogModel model = Prepared(EMsgKind::emk_Warning, "A", true);
  EXPECT_TRUE(model.View([](const std::string&) { return true; }).show_viewer);
  EXPECT_FALSE(model.View([](const std::string& f) { return f != "c:\\err.txt"; }).show_viewer);
  DialogModel only_err(EMsgKind::emk_Warning, false, elg_Rus, kFrame);
  only_err.SetFiles("c:\\err.txt", "");
  EXPECT_TRUE(only_err.View([](const std::string& f) { return f == "c:\\err.txt"; }).show_viewer);
  EXPECT_EQ(DlgNoInfoText(true), "Нет информации для просмотра!");
  EXPECT_EQ(DlgNoInfoText(false), "Нема інформації для перегляду!");
}

// A sink that shows each message in the dialog model and presses one control (or Esc).
class PressingSink : public MessageSink {
 public:
  std::optional<C> press;
  bool tick = false;
  int select = 0;
  int shown = 0;
  MessageAnswer Show(const MessageRequest& request) override {
    ++shown;
    DialogModel model = DialogModel::FromRequest(request, elg_Rus, kFrame);
    model.Prepare(FakeMeasurer{}, true);
    model.SetChecked(tick);
    model.SelectChoice(select);
    if (press) {
      if (auto answer = model.Click(*press)) return *answer;
    }
    return model.Escape();
  }
};

TEST(DialogModel, WrapperResults) {
  PressingSink sink;
  ScopedMessageSink scope(&sink);
  struct Case {
    std::optional<C> press;
    bool tick;
    int query, three_way, query_cancel, query_ask;
  };
  const Case cases[] = {
      {C::btYes, false, 1, 1, 1, 1},
      {C::btYes, true, 1, 1, 1, 3},
      {C::btNoWatch, true, 0, 3, 2, 2},
      {C::btWatchExit, false, 0, 2, 3, 0},
      {std::nullopt, false, 0, 3, 2, 0},  // Esc
  };
  for (const Case& c : cases) {
    sink.press = c.press;
    sink.tick = c.tick;
    EXPECT_EQ(MsgQuery("x", 0), c.query == 1);
    EXPECT_EQ(MsgThreeWay("x", 0), c.three_way);
    EXPECT_EQ(MsgQueryCancel("x", 0), c.query_cancel);
    EXPECT_EQ(MsgQueryAsk("x"), c.query_ask);
  }
  sink.press = C::btWatchExit;
  sink.tick = true;
  EXPECT_TRUE(MsgWarningAsk("x", 0));
  const int32_t numbers[] = {99, 99, 99, 0};
  sink.select = 2;
  sink.press = C::btYes;
  EXPECT_EQ(MsgChoice("item", numbers), 2);
  sink.press = C::btNoWatch;
  EXPECT_EQ(MsgChoice("item", numbers), -1);
  sink.press = std::nullopt;
  EXPECT_EQ(MsgChoice("item", numbers), -1);
  const int shown = sink.shown;
  const int32_t empty[] = {0, 5};
  EXPECT_EQ(MsgChoice("item", empty), -1);
  EXPECT_EQ(sink.shown, shown);  // no window for an empty list
  MsgError("x", 999);
  EXPECT_EQ(sink.shown, shown);
}

}  // namespace
}  // namespace tlx::messages
