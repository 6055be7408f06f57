#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "messages/btn_panel.h"
#include "messages/bs_box.h"
#include "messages/fake_measurer.h"
#include "messages/lang_box.h"
#include "messages/message_sink.h"
#include "messages/ml_caption.h"
#include "messages/scale_form.h"
#include "messages/zbutton.h"
#include "messages/ztext.h"

namespace tlx::messages {
namespace {

using test::FakeMeasurer;

// Restores the controls' languages after each test.
class Controls : public ::testing::Test {
 protected:
  void SetUp() override {
    SetInterfaceLang(elg_Rus);
    SetDocumentLang(elg_Ukr);
  }
  void TearDown() override {
    SetInterfaceLang(elg_Ukr);
    SetDocumentLang(elg_Ukr);
  }
};

// A label: its caption lives in `caption`, the box keeps the other language.
struct Label {
  LangBoxOwner owner;
  std::string caption;
  TZLangBox box{{[this] { return caption; }, [this](const std::string& s) { caption = s; }}, &owner};
};

TEST_F(Controls, LangBoxSwitchesAndKeepsBothTexts) {
  Label label;
  label.box.Load("", "A", "B", std::nullopt);
  EXPECT_EQ(label.caption, "A");
  EXPECT_EQ(label.box.Lang(), elg_Rus);
  label.box.SetLang(elg_Ukr);
  EXPECT_EQ(label.caption, "B");
  EXPECT_EQ(label.box.CurText(), "B");
  EXPECT_EQ(label.box.LRus(), "A");
  EXPECT_EQ(label.box.LUkr(), "B");
  // Writing the hidden language touches only the reserve.
  label.box.SetLRus("A2");
  EXPECT_EQ(label.caption, "B");
  label.box.SetLang(elg_End);  // counts as Russian
  EXPECT_EQ(label.caption, "A2");
}

TEST_F(Controls, LangChangeEventCanReplaceOrIgnore) {
  Label label;
  label.box.Load("", "A", "B", std::nullopt);
  int events = 0;
  bool ignore_it = true;
  label.owner.on_lang_change = [&](TZLangBox& sender, ELang lang, std::string& value, bool& ignore) {
    ++events;
    EXPECT_EQ(&sender, &label.box);
    if (events <= 2) {
      EXPECT_EQ(lang, elg_Ukr);
      EXPECT_EQ(value, "B");
    }
    if (ignore_it) {
      ignore = true;
    } else {
      value = "B!";
    }
  };
  label.box.SetLang(elg_Ukr);
  EXPECT_EQ(label.caption, "A");
  EXPECT_EQ(label.box.Lang(), elg_Rus);
  ignore_it = false;
  label.box.SetLang(elg_Ukr);
  EXPECT_EQ(label.caption, "B!");
  EXPECT_EQ(events, 2);
  // The one-shot flag silences one switch; loading silences all.
  label.box.SuppressNextEvent();
  label.box.SetLang(elg_Rus);
  EXPECT_EQ(events, 2);
  label.owner.loading = true;
  label.box.SetLang(elg_Ukr);
  EXPECT_EQ(events, 2);
  label.owner.loading = false;
  label.box.SetLang(elg_Rus);
  EXPECT_EQ(events, 3);
}

TEST_F(Controls, LangKindFollowsTheDocumentLanguage) {
  Label label;
  label.box.Load("", "A", "B", elgkd_Document);  // DocumentLang is Ukrainian
  EXPECT_EQ(label.caption, "B");
  EXPECT_EQ(label.box.LangKind(), elgkd_Document);
  label.box.SetLangKind(elgkd_End);  // counts as interface
  EXPECT_EQ(label.caption, "A");
  EXPECT_TRUE(TZLangBox::StoresLangKind());
  SetDocumentLang(elg_Rus);
  EXPECT_FALSE(TZLangBox::StoresLangKind());
}

TEST_F(Controls, ZButtonDefaultTexts) {
  TZButtonModel button;
  button.SetDefText(EZBtnPDT_Save);
  EXPECT_EQ(button.CaptionL().LRus(), "Сохранить");
  EXPECT_EQ(button.CaptionL().LUkr(), "Зберегти");
  EXPECT_EQ(button.Caption(), "Сохранить");
  EXPECT_EQ(button.ImageNo(), eil16x16_OK);
  EXPECT_FALSE(button.StoresCaptionL());
  EXPECT_FALSE(button.StoresImageNo());
  button.SetImageNo(eil16x16_Gear);  // ignored while a default text is set
  EXPECT_EQ(button.ImageNo(), eil16x16_OK);
  button.SetDefText(26);  // out of range
  EXPECT_EQ(button.DefText(), EZBtnPDT_None);
  EXPECT_TRUE(button.StoresCaptionL());
  button.SetImageNo(eil16x16_Gear);
  EXPECT_EQ(button.ImageNo(), eil16x16_Gear);
  EXPECT_TRUE(button.StoresImageNo());
  button.SetImageNo(101);
  EXPECT_EQ(button.ImageNo(), eil16x16_End);
  EXPECT_EQ(kZBtnDefaults[EZBtnPDT_Cancel].ukr, "Вiдмiна");  // Latin "i" as stored
  EXPECT_EQ(kZBtnDefaults[EZBtnPDT_Fresh].image, eil16x16_Refresh);
}

TEST_F(Controls, ZButtonClamps) {
  TZButtonModel button;
  button.SetMargin(-2);
  EXPECT_EQ(button.Margin(), -1);
  button.SetMargin(5);
  button.SetMargin(-5);
  EXPECT_EQ(button.Margin(), 5);
  button.SetSpacing(-3);
  EXPECT_EQ(button.Spacing(), 0);
  button.SetLayout(7);
  EXPECT_EQ(button.Layout(), blGlyphBottom);
  button.SetLayout(blGlyphRight);
  EXPECT_EQ(button.Layout(), blGlyphRight);
}

TEST_F(Controls, ZButtonFace) {
  ButtonFaceInput in;
  in.caption_width = 40;
  in.caption_height = 13;
  in.has_image = true;
  ButtonFace face = LayoutButtonFace(in);
  // Image reserve of 4 + 16 on the left; caption centred in the rest; image 4 left of it.
  const int room_left = 3 + 20, room_width = 98 - 6 - 20;
  EXPECT_EQ(face.caption, (DlgRect{room_left + (room_width - 40) / 2, 3 + (19 - 13) / 2, 40, 13}));
  EXPECT_EQ(face.image.left, face.caption.left - 4 - 16);
  EXPECT_EQ(face.image.top, 3 + (19 - 16) / 2);
  in.pressed = true;
  ButtonFace pressed = LayoutButtonFace(in);
  EXPECT_EQ(pressed.caption.left, face.caption.left + 1);
  EXPECT_EQ(pressed.image.top, face.image.top + 1);
  // Without a caption the image stands in the middle.
  ButtonFaceInput bare;
  bare.has_image = true;
  EXPECT_EQ(LayoutButtonFace(bare).image, (DlgRect{41, 4, 16, 16}));
  // Left alignment with a margin.
  ButtonFaceInput left = in;
  left.pressed = false;
  left.margin = 2;
  left.layout = blGlyphRight;
  ButtonFace l = LayoutButtonFace(left);
  EXPECT_EQ(l.caption.left, 3 + 2);
  EXPECT_EQ(l.image.left, l.caption.left + 40 + 4);
}

TEST_F(Controls, MLButtonCaptionKeepsItsBreaks) {
  MLButtonCaption caption;
  caption.SetCaption("Two#words");
  EXPECT_TRUE(caption.MultiLine());
  EXPECT_EQ(caption.WindowText(), "Two\nwords");
  EXPECT_EQ(caption.Caption(), "Two#words");
  EXPECT_FALSE(caption.SetMultiLine(false));
  EXPECT_TRUE(caption.MultiLine());
  caption.SetCaption("One");
  EXPECT_TRUE(caption.SetMultiLine(false));
  EXPECT_FALSE(caption.MultiLine());
}

TEST(ZText, ShortensTheFirstLine) {
  EXPECT_EQ(ShortenFirstLine("abc"), "abc ...");
  EXPECT_EQ(ShortenFirstLine("abc "), "abc ...");
  EXPECT_EQ(ShortenFirstLine("abcd"), "abcd ...");
  EXPECT_EQ(ShortenFirstLine("abcdefgh"), "abcd ...");
  EXPECT_EQ(ShortenFirstLine("абвгдеж"), "абв ...");
}

// Records what the message sink is asked to show.
class RecordingSink : public MessageSink {
 public:
  std::vector<MessageRequest> shown;
  MessageAnswer Show(const MessageRequest& request) override {
    shown.push_back(request);
    return {};
  }
};

TEST_F(Controls, ZTextPaintsAndMeasures) {
  FakeMeasurer m;
  std::array<const TextMeasurer*, kZTextParagraphs> fonts{&m, &m, &m, &m, &m};
  TZTextModel text;
  text.width = 60;  // 56 pixels for text: 9 characters
  text.TextR(1) = "abc defghij";
  text.TextR(2) = "xyz";
  EXPECT_EQ(text.PCalcTextH(fonts), 3 * 13 + 4);
  EXPECT_EQ(text.height, 43);
  ZTextPaint paint = text.Paint(fonts);
  ASSERT_FALSE(paint.new_height);
  ASSERT_EQ(paint.lines.size(), 3u);
  EXPECT_EQ(paint.lines[0].text, "abc ");
  EXPECT_EQ(paint.lines[2].y, 2 + 2 * 13);
  // One line per paragraph: the wrapped one shows its first three letters and " ...".
  text.click_chg_multy_line = true;
  text.Click();
  EXPECT_FALSE(text.multy_line);
  paint = text.Paint(fonts);
  ASSERT_EQ(paint.lines.size(), 2u);
  EXPECT_EQ(paint.lines[0].text, "abc ...");
  EXPECT_EQ(paint.lines[1].text, "xyz");
  // Aligned to the top with a wrong height: resize instead of drawing.
  text.align = ZAlign::Top;
  text.height = 100;
  paint = text.Paint(fonts);
  EXPECT_EQ(paint.new_height, 2 * 13 + 4);
  EXPECT_TRUE(paint.lines.empty());
}

TEST_F(Controls, ZTextRefusesABadAlignment) {
  RecordingSink sink;
  ScopedMessageSink scope(&sink);
  TZTextModel text;
  EXPECT_TRUE(text.SetHor(2, 1));
  EXPECT_FALSE(text.SetHor(2, 3));
  EXPECT_EQ(text.Hor(2), 1);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].kind, EMsgKind::emk_Error);
  EXPECT_EQ(sink.shown[0].text, "Неверно задан признак выравнивания");
}

TEST(BtnPanel, FourButtonsAtEqualGaps) {
  TZBtnPanelModel panel(600);
  panel.SetKind(PanKinds({EZBtnPan_SaveN, EZBtnPan_SaveY, EZBtnPan_Fresh, EZBtnPan_Apply}));
  ASSERT_EQ(panel.controls().size(), 4u);
  const int gap = (600 - (86 + 96 * 3) - 16) / 3;
  // Ordered by their first places: save (1), refresh (9), apply (width - 105), don't save.
  EXPECT_EQ(panel.Button(EZBtnPan_SaveY)->rect, (DlgRect{8, 9, 86, 25}));
  EXPECT_EQ(panel.Button(EZBtnPan_Fresh)->rect.left, 8 + 86 + gap);
  EXPECT_EQ(panel.Button(EZBtnPan_Apply)->rect.left, 8 + 86 + 96 + 2 * gap);
  EXPECT_EQ(panel.Button(EZBtnPan_SaveN)->rect.left, 8 + 86 + 2 * 96 + 3 * gap);
  EXPECT_EQ(panel.Button(EZBtnPan_Apply)->def_text, EZBtnPDT_Apply);
  EXPECT_EQ(panel.Button(EZBtnPan_SaveY)->modal_result, 1);
  EXPECT_EQ(panel.Button(EZBtnPan_SaveN)->modal_result, 2);
  // The panel refuses to be narrower than its buttons need.
  EXPECT_EQ(panel.MinWidth(), 86 + 3 * 96 + 8 + 16);
  EXPECT_FALSE(panel.SetWidth(panel.MinWidth() - 1));
  EXPECT_EQ(panel.width(), 600);
}

TEST(BtnPanel, OneAndTwoControlsAndGrowing) {
  TZBtnPanelModel panel(300);
  EXPECT_EQ(panel.Button(EZBtnPan_SaveY)->rect.left, 8);
  EXPECT_EQ(panel.Button(EZBtnPan_SaveN)->rect.left, 300 - 8 - 96);
  panel.SetKind(PanKinds({EZBtnPan_Apply}));
  ASSERT_EQ(panel.controls().size(), 1u);
  EXPECT_EQ(panel.Button(EZBtnPan_Apply)->rect.left, (300 - 96) / 2);
  TZBtnPanelModel narrow(100);
  EXPECT_EQ(narrow.width(), 86 + 96 + 4 + 16);
}

// Captions measured 6 pixels a character: "Не сохранять" / "Не зберігати" (12) and "Применить" /
// "Застосувати" (9 / 11) need more than their designed buttons, "Сохранить" / "Зберегти" (9 / 8)
// a little more, "Обновить" / "Відновити" (8 / 9) less.
TEST(BtnPanel, ButtonsWidenToHoldTheirCaptionsInBothLanguages) {
  TZBtnPanelModel panel(300);
  panel.SetKind(PanKinds({EZBtnPan_SaveN, EZBtnPan_SaveY, EZBtnPan_Fresh, EZBtnPan_Apply}));
  FakeMeasurer measurer;
  panel.FitCaptions([&](std::string_view text) { return measurer.TextWidth(text, {}); });
  const int frame = kZButtonFrame + kZButtonCaptionGap;
  struct Case {
    EZBtnPanKind kind;
    int characters;  // the longer caption
    int width;
  };
  const Case cases[] = {
      {EZBtnPan_SaveN, 12, 12 * 6 + 20 + 2 * frame},
      {EZBtnPan_SaveY, 9, 9 * 6 + 20 + 2 * frame},
      {EZBtnPan_Fresh, 9, 96},
      {EZBtnPan_Apply, 11, 11 * 6 + 20 + 2 * frame},
  };
  int sum = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    const PanelControl* button = panel.Button(c.kind);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->rect.width, c.width);
    sum += button->rect.width;
    // The face as the button draws it: image and caption inside the frame, with the gap.
    ButtonFaceInput in;
    in.width = button->rect.width;
    in.caption_width = c.characters * FakeMeasurer::kCharWidth;
    in.caption_height = FakeMeasurer::kLineHeight;
    in.has_image = true;
    const ButtonFace face = LayoutButtonFace(in);
    EXPECT_GE(face.image.left, frame);
    EXPECT_LE(face.caption.left + face.caption.width, in.width - frame);
    EXPECT_GE(button->rect.left, 8);
    EXPECT_LE(button->rect.left + button->rect.width, panel.width() - 8);
  }
  // The panel grew to hold them; fitting again changes nothing.
  EXPECT_EQ(panel.width(), sum + 2 * 4 + 16);
  EXPECT_EQ(panel.MinWidth(), panel.width());
  panel.FitCaptions([&](std::string_view text) { return measurer.TextWidth(text, {}); });
  EXPECT_EQ(panel.Button(EZBtnPan_SaveN)->rect.width, cases[0].width);
  // A face narrow enough for the design keeps it.
  TZBtnPanelModel wide(600);
  wide.SetKind(PanKinds({EZBtnPan_SaveN, EZBtnPan_SaveY}));
  wide.FitCaptions([](std::string_view) { return 10; });
  EXPECT_EQ(wide.Button(EZBtnPan_SaveY)->rect.width, 86);
  EXPECT_EQ(wide.Button(EZBtnPan_SaveN)->rect.width, 96);
  EXPECT_EQ(wide.width(), 600);
}

TEST(BtnPanel, CloseQuery) {
  struct Case {
    const char* name;
    int modal_result;
    bool by_button, changed, check_ok, answer_yes;
    bool closes, saved;
    int final_result;
  };
  const Case cases[] = {
      {"SaveChecked", 1, true, true, true, false, true, true, 1},
      {"SaveRefusedByCheck", 1, true, true, false, false, false, false, 1},
      {"DontSave", 2, true, true, true, false, true, false, 2},
      {"OtherResult", 5, false, true, true, false, true, false, 5},
      {"UnchangedCloses", 0, false, false, true, false, true, false, 0},
      {"ChangedAnsweredYes", 0, false, true, true, true, true, true, 1},
      {"ChangedYesButCheckFails", 0, false, true, false, true, false, false, 0},
      {"ChangedAnsweredNo", 0, false, true, true, false, true, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TZBtnPanelModel panel(300);
    int saves = 0;
    panel.events.on_check_data = [&] { return c.check_ok; };
    panel.events.on_save_data = [&] { ++saves; };
    panel.events.on_out_sel = [&] { return c.answer_yes; };
    panel.SetChanged(c.changed);
    PanelForm form;
    if (c.by_button) {
      panel.Click(c.modal_result == 1 ? EZBtnPan_SaveY : EZBtnPan_SaveN, form);
    } else {
      form.modal_result = c.modal_result;
    }
    EXPECT_EQ(panel.CloseQuery(form), c.closes);
    EXPECT_EQ(saves, c.saved ? 1 : 0);
    EXPECT_EQ(form.modal_result, c.final_result);
  }
  // The form's previous handler is asked first; without OnOutSel the question goes to MsgQuery.
  RecordingSink sink;
  ScopedMessageSink scope(&sink);
  TZBtnPanelModel panel(300);
  PanelForm form;
  form.previous_close_query = [] { return false; };
  panel.SetChanged(true);
  EXPECT_FALSE(panel.CloseQuery(form));
  EXPECT_TRUE(sink.shown.empty());
  form.previous_close_query = nullptr;
  EXPECT_TRUE(panel.CloseQuery(form));  // the recording sink answers no
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].kind, EMsgKind::emk_Query);
  EXPECT_FALSE(panel.changed());
}

TEST(BtnPanel, ButtonsRaiseTheirEvents) {
  TZBtnPanelModel panel(500);
  panel.SetKind(PanKinds({EZBtnPan_Fresh, EZBtnPan_Apply, EZBtnPan_SaveN}));
  int loads = 0, saves = 0, inits = 0;
  panel.events.on_load_data = [&] { ++loads; };
  panel.events.on_save_data = [&] { ++saves; };
  panel.events.on_init_data = [&] { ++inits; };
  PanelForm form;
  form.modal = false;
  panel.Click(EZBtnPan_Fresh, form);
  panel.Click(EZBtnPan_Apply, form);
  panel.InitData();
  panel.InitData();
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(inits, 1);
  panel.Click(EZBtnPan_SaveN, form);
  EXPECT_EQ(form.modal_result, 2);
  EXPECT_TRUE(form.close_requested);
}

TEST(ScaleForm, Arithmetic) {
  FormScale same;
  ScaleNode form;
  form.type = ScaleNode::Type::Form;
  form.bounds = {10, 10, 342, 166};
  ScaleForm(form, same, 120);
  EXPECT_EQ(form.bounds, (DlgRect{10, 10, 342, 166}));
  EXPECT_TRUE(form.font_name.empty());

  FormScale big{1000, 800, 96, false};
  form.font_height = -11;
  ScaleNode text;
  text.type = ScaleNode::Type::ZText;
  text.paragraph_sizes = {8, 10, 12, 8, 8};
  ScaleNode own;
  own.parent_font = false;
  own.font_height = -12;
  own.bounds = {3, 5, 75, 25};
  ScaleNode owned_form;
  owned_form.type = ScaleNode::Type::Form;
  owned_form.bounds = {1, 1, 1, 1};
  form.children = {text, own, owned_form};
  ScaleForm(form, big, 120);
  EXPECT_EQ(form.bounds, (DlgRect{13, 13, 428, 208}));  // x 1.25, rounded half up
  EXPECT_EQ(form.font_name, "Arial");
  // The font scales with the form (-13.75 rounds to -14), then follows the 120 ppi screen:
  // -14 * (800 * 120) / (1000 * 96), here exactly -14.
  EXPECT_EQ(form.font_height, -14);
  EXPECT_EQ(form.children[0].paragraph_sizes[1], 12);
  EXPECT_EQ(form.children[0].paragraph_names[0], "Arial");
  EXPECT_EQ(form.children[1].font_name, "Arial");
  EXPECT_EQ(form.children[1].font_height, -15);
  EXPECT_EQ(form.children[1].bounds, (DlgRect{4, 6, 94, 31}));
  EXPECT_EQ(form.children[2].bounds, (DlgRect{1, 1, 1, 1}));  // forms are skipped
  EXPECT_TRUE(form.auto_scroll);  // restored
  EXPECT_EQ(ScaleValue(-5, 3, 2), -8);

  // On a 96 ppi screen no correction follows: the fonts keep the scaled height.
  ScaleNode plain;
  plain.type = ScaleNode::Type::Form;
  plain.font_height = -11;
  plain.bounds = {0, 0, 342, 166};
  ScaleForm(plain, FormScale{1200, 800, 96, true}, 96);
  EXPECT_EQ(plain.font_height, -17);  // -16.5 away from zero
  EXPECT_EQ(plain.bounds, (DlgRect{0, 0, 513, 249}));
}

TEST(ScaleForm, TheScreensScale) {
  struct Case {
    int ppi;
    int numerator;
    bool on_create;
  };
  for (const Case& c : {Case{96, 800, false}, Case{120, 1000, true}, Case{144, 1200, true}, Case{72, 600, true},
                        Case{0, 800, false}}) {
    const FormScale scale = ScreenFormScale(c.ppi);
    EXPECT_EQ(scale.numerator, c.numerator) << c.ppi;
    EXPECT_EQ(scale.denominator, 800);
    EXPECT_EQ(scale.design_ppi, 96);
    EXPECT_EQ(scale.scale_on_create, c.on_create) << c.ppi;
  }
  // Nothing is scaled at start.
  EXPECT_FALSE(CurrentFormScale().scale_on_create);
  EXPECT_EQ(CurrentFormScale().numerator, CurrentFormScale().denominator);
}

TEST(BsBox, GeometryPerButtonCount) {
  // The label measures 6 pixels per character on one line of 13.
  WrappedMeasure measure = [](std::string_view text, int) {
    return DlgRect{0, 0, static_cast<int>(Utf8CharCount(text)) * 6, 13};
  };
  const int m = 20, w = kBsBoxWidth;
  auto error = LayoutBsBox(2, 1, "Нет файла", m, 1024, 768, measure);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->title, "Ошибка");
  EXPECT_EQ(error->colour, 0x008080FFu);
  EXPECT_EQ(error->label, (DlgRect{m, m, 54, 13}));
  ASSERT_EQ(error->buttons.size(), 1u);
  const int y = 2 * m + 13 + m;
  EXPECT_EQ(error->buttons[0].rect, (DlgRect{w / 2 - 37, y, 75, 25}));
  EXPECT_EQ(error->buttons[0].caption, "Закрыть");
  const int h = y + 2 * m + 25;
  EXPECT_EQ(error->window, (DlgRect{512 - w / 2, 384 - h / 2, w, h}));

  auto choice = LayoutBsBox(3, 0, "", m, 1024, 768, measure);
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->title, "Вибір");
  EXPECT_FALSE(choice->label);
  ASSERT_EQ(choice->buttons.size(), 2u);
  EXPECT_EQ(choice->buttons[0].rect, (DlgRect{m, 2 * m, 75, 25}));
  EXPECT_EQ(choice->buttons[1].rect.left, w - m - 75);
  EXPECT_EQ(choice->buttons[1].caption, "Нi");

  auto three = LayoutBsBox(7, 1, "x", m, 1024, 768, measure);
  ASSERT_EQ(three->buttons.size(), 3u);
  EXPECT_EQ(three->buttons[1].id, EBsButton::ebb_View);
  EXPECT_EQ(three->buttons[1].rect.left, w / 2 - 37);
  EXPECT_FALSE(LayoutBsBox(8, 1, "x", m, 1024, 768, measure));
  EXPECT_EQ(BsResult(EBsButton::ebb_Yes), 2);
  EXPECT_EQ(BsResult(EBsButton::ebb_View), 0);
  EXPECT_EQ(BsResult(std::nullopt), 0);
}

}  // namespace
}  // namespace tlx::messages
