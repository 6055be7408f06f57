#include "messages/dialog_model.h"

#include <algorithm>
#include <utility>

#include "messages/scale_form.h"

namespace tlx::messages {
namespace {

struct CaptionPair {
  std::string_view rus;
  std::string_view ukr;
};

constexpr CaptionPair kYes{"&Да", "&Так"};
constexpr CaptionPair kNo{"&Нет", "&Ні"};
constexpr CaptionPair kExit{"&Выход", "&Вихід"};
constexpr CaptionPair kView{"&Просмотр", "&Перегляд"};
constexpr CaptionPair kChoose{"&Выбрать", "&Вибрати"};
constexpr CaptionPair kRefuseList{"&Отказаться", "&Відмовитись"};
constexpr CaptionPair kRefuseQuery{"&Отказ", "&Відмова"};
constexpr CaptionPair kAsk{"&Не задавать больше этот вопрос", "&Не задавати більше це питання"};
constexpr CaptionPair kWarningAsk{"В дальнейшем не выводить это предупреждение.",
                                  "Подалі не виводити це попередження."};
constexpr CaptionPair kNoInfo{"Нет информации для просмотра!", "Нема інформації для перегляду!"};

std::string_view Pick(const CaptionPair& pair, bool russian) { return russian ? pair.rus : pair.ukr; }

// A caption as drawn: "&" marks the next character as the accelerator, "&&" is one "&".
std::string WithoutAccelerators(std::string_view caption) {
  std::string out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    out += caption[i];
  }
  return out;
}

}  // namespace

std::string_view DlgButtonCaption(EMsgButton button, EMsgKind kind, ELang lang) {
  const bool rus = lang != elg_Ukr;
  switch (button) {
    case EMsgButton::emb_Yes: return Pick(kYes, rus);
    case EMsgButton::emb_No: return Pick(kNo, rus);
    case EMsgButton::emb_Exit: return Pick(kExit, rus);
    case EMsgButton::emb_View: return Pick(kView, rus);
    case EMsgButton::emb_Choose: return Pick(kChoose, rus);
    case EMsgButton::emb_Refuse:
      return Pick(kind == EMsgKind::emk_QueryCancel ? kRefuseQuery : kRefuseList, rus);
    case EMsgButton::emb_One: return "1";
    case EMsgButton::emb_Two: return "2";
    case EMsgButton::emb_Three: return "3";
    default: return "";
  }
}

std::string_view DlgAskCaption(ELang lang) { return Pick(kAsk, lang != elg_Ukr); }
std::string_view DlgWarningAskCaption(bool russian) { return Pick(kWarningAsk, russian); }
std::string_view DlgNoInfoText(bool russian) { return Pick(kNoInfo, russian); }

int BoldMeasurer::TextWidth(std::string_view utf8, const TextFormat& format) const {
  TextFormat bold = format;
  bold.bold = true;
  return base_.TextWidth(utf8, bold);
}

int BoldMeasurer::TextHeight(std::string_view utf8, const TextFormat& format) const {
  TextFormat bold = format;
  bold.bold = true;
  return base_.TextHeight(utf8, bold);
}

DialogModel::DialogModel(EMsgKind kind, bool alarm, ELang controls_lang, DlgFrame frame)
    : kind_(kind), alarm_(alarm), lang_(controls_lang), frame_(frame) {
  auto set = [&](DlgControl c, DlgRect rect, bool visible, EMsgButton role) {
    DlgControlState& s = at(c);
    s.rect = rect;
    s.visible = visible;
    s.role = role;
    s.caption = std::string(DlgButtonCaption(role, kind_, lang_));
  };
  // The design, with the default layout of the error, warning and information kinds: an exit
  // button in the middle and a hidden view button at the right.
  set(DlgControl::Image, {16, 36, kPictureSize, kPictureSize}, true, EMsgButton::emb_None);
  set(DlgControl::btYes, {16, 136, 50, 20}, false, EMsgButton::emb_Yes);
  set(DlgControl::btWatchExit, {133, 136, 75, 20}, true, EMsgButton::emb_Exit);
  set(DlgControl::btNoWatch, {276 - 25, 136, 75, 20}, false, EMsgButton::emb_View);
  set(DlgControl::Ask, {80, 112, 193, 17}, false, EMsgButton::emb_None);
  at(DlgControl::Ask).caption = std::string(DlgAskCaption(lang_));
  reference_ = DlgControl::btWatchExit;

  DlgControlState& yes = at(DlgControl::btYes);
  DlgControlState& watch = at(DlgControl::btWatchExit);
  DlgControlState& no = at(DlgControl::btNoWatch);
  auto make_no = [&](EMsgButton role) {  // back to its design place and width
    no.rect.left += 25;
    no.rect.width = 50;
    no.role = role;
    no.caption = std::string(DlgButtonCaption(role, kind_, lang_));
    no.visible = true;
  };
  switch (kind_) {
    case EMsgKind::emk_Error: picture_ = DlgPicture::Error; break;
    case EMsgKind::emk_Warning: picture_ = DlgPicture::Warning; break;
    case EMsgKind::emk_Info: picture_ = DlgPicture::Information; break;
    case EMsgKind::emk_Query:
    case EMsgKind::emk_QueryAsk:
      picture_ = DlgPicture::Question;
      watch.visible = false;
      watch.role = EMsgButton::emb_View;
      watch.caption = std::string(DlgButtonCaption(EMsgButton::emb_View, kind_, lang_));
      make_no(EMsgButton::emb_No);
      yes.visible = true;
      if (kind_ == EMsgKind::emk_QueryAsk) {
        at(DlgControl::Ask).visible = true;
        reference_ = DlgControl::Ask;
      } else {
        reference_ = DlgControl::btYes;
      }
      break;
    case EMsgKind::emk_ThreeWay:
      picture_ = DlgPicture::Question;
      yes.role = EMsgButton::emb_One;
      yes.caption = "1";
      yes.visible = true;
      watch.role = EMsgButton::emb_Two;
      watch.caption = "2";
      watch.rect.left += (watch.rect.width - 50) / 2;
      watch.rect.width = 50;
      make_no(EMsgButton::emb_Three);
      reference_ = DlgControl::btYes;
      break;
    case EMsgKind::emk_Choice:
      picture_ = DlgPicture::Question;
      watch.visible = false;
      yes.rect.width = 75;
      yes.role = EMsgButton::emb_Choose;
      yes.caption = std::string(DlgButtonCaption(EMsgButton::emb_Choose, kind_, lang_));
      yes.visible = true;
      no.rect.width = 75;
      no.rect.left = window_width() - 75 - 25;
      no.role = EMsgButton::emb_Refuse;
      no.caption = std::string(DlgButtonCaption(EMsgButton::emb_Refuse, kind_, lang_));
      no.visible = true;
      reference_ = DlgControl::btYes;
      break;
    case EMsgKind::emk_WarningAsk:
      picture_ = DlgPicture::Warning;
      at(DlgControl::Ask).visible = true;
      reference_ = DlgControl::Ask;
      break;
    case EMsgKind::emk_QueryCancel:
      picture_ = DlgPicture::Question;
      watch.role = EMsgButton::emb_Refuse;
      watch.caption = std::string(DlgButtonCaption(EMsgButton::emb_Refuse, kind_, lang_));
      watch.rect.width = 75;
      make_no(EMsgButton::emb_No);
      yes.visible = true;
      break;
  }
}

DialogModel DialogModel::FromRequest(const MessageRequest& request, ELang controls_lang,
                                     DlgFrame frame) {
  DialogModel model(request.kind, request.alarm, controls_lang, frame);
  model.SetTitle(request.title);
  model.SetText(request.text);
  model.SetFiles(request.err_file, request.warn_file);
  for (const std::string& choice : request.choices) model.AddChoice(choice);
  if (request.check_caption) model.ask_caption_ = *request.check_caption;
  return model;
}

void DialogModel::SetFiles(std::string err_file, std::string warn_file) {
  err_file_ = std::move(err_file);
  warn_file_ = std::move(warn_file);
  view_ = !err_file_.empty() || !warn_file_.empty();
}

void DialogModel::AddChoice(std::string text) {
  ChoiceItem item;
  item.text = std::move(text);
  choices_.push_back(std::move(item));
}

int DialogModel::picture_index() const {
  return static_cast<int>(picture_) + (alarm_ ? kAlarmPictureOffset : 0);
}

void DialogModel::Scale(const FormScale& scale, int screen_ppi) {
  ScaleNode form;
  form.type = ScaleNode::Type::Form;
  form.bounds = {0, 0, client_width_, client_height_};
  form.font_name = font_name_;
  form.font_height = font_height_;
  form.parent_font = false;
  for (const DlgControlState& c : controls_) {
    ScaleNode control;
    control.bounds = c.rect;  // the picture, the buttons and the check box use the window's font
    form.children.push_back(control);
  }
  ScaleForm(form, scale, screen_ppi);
  client_width_ = form.bounds.width;
  client_height_ = form.bounds.height;
  font_name_ = form.font_name;
  font_height_ = form.font_height;
  for (size_t i = 0; i < controls_.size(); ++i) controls_[i].rect = form.children[i].bounds;
}

void DialogModel::Prepare(const TextMeasurer& base_measurer, bool russian) {
  if (prepared_) return;
  prepared_ = true;
  BoldMeasurer bold(base_measurer);
  const TextMeasurer& measurer = alarm_ ? static_cast<const TextMeasurer&>(bold) : base_measurer;

  // The check box caption: kind 7's own, or the caller's; the box widens by the difference.
  DlgControlState& ask = at(DlgControl::Ask);
  std::optional<std::string> caption = ask_caption_;
  if (kind_ == EMsgKind::emk_WarningAsk && !caption) caption = std::string(DlgWarningAskCaption(russian));
  if (caption && ask.visible) {
    // The box also never gets narrower than its new caption needs beside the square.
    const int new_width = base_measurer.TextWidth(WithoutAccelerators(*caption), {});
    ask.rect.width += new_width - base_measurer.TextWidth(WithoutAccelerators(ask.caption), {});
    ask.rect.width = std::max(ask.rect.width, new_width + kCheckBoxSquare);
    ask.caption = *caption;
    ask.rect.left = std::max(0, (client_width_ - ask.rect.width) / 2);
    if (caption->empty()) ask.visible = false;
  } else if (ask.visible) {
    // The designed box holds its caption in the designer's font; a wider face (another system's
    // substitute for it) widens the box, centred, as far as the window allows.
    const int needed = base_measurer.TextWidth(WithoutAccelerators(ask.caption), {}) + kCheckBoxSquare;
    if (needed > ask.rect.width) {
      ask.rect.width = std::min(needed, client_width_);
      ask.rect.left = std::max(0, (client_width_ - ask.rect.width) / 2);
    }
  }

  if (!text_.empty() && text_[0] == '~') {
    text_.erase(0, 1);
    align_ = LineAlign::Left;
  }
  const DlgRect& image = control(DlgControl::Image).rect;
  const int width = client_width_ - image.width - 2 * image.left;
  if (kind_ == EMsgKind::emk_Choice) {
    row_spacing_ = measurer.TextHeight("Щ", {});
    text_height_ = 0;
    for (ChoiceItem& item : choices_) {
      item.layout = LayoutText(item.text, width - kChoiceRadioSize - kChoiceRadioGap, measurer);
      item.height = std::max(item.layout.lines_height, kChoiceRadioSize);
      text_height_ += item.height + row_spacing_;
    }
  } else {
    layout_ = LayoutText(text_, width, measurer);
    text_height_ = layout_.lines_height + 6;
  }

  // Fit the window: a positive shift moves the controls up and shrinks the window, a negative one
  // grows it; the reference control never comes closer than 10 pixels below the picture.
  const int ref_top = control(reference_).rect.top;
  shift_ = -frame_.height + ref_top - text_height_;
  if (ref_top - shift_ < image.height + 10) shift_ = ref_top - (image.height + 10);

  auto move = [&](DlgControl c) { at(c).rect.top -= shift_; };
  switch (kind_) {
    case EMsgKind::emk_ThreeWay:
    case EMsgKind::emk_QueryCancel:
      move(DlgControl::btYes);
      move(DlgControl::btNoWatch);
      move(DlgControl::btWatchExit);
      break;
    case EMsgKind::emk_Error:
    case EMsgKind::emk_Warning:
    case EMsgKind::emk_Info:
      move(DlgControl::btWatchExit);
      if (view_) {
        move(DlgControl::btNoWatch);
        at(DlgControl::btNoWatch).visible = true;
      }
      break;
    case EMsgKind::emk_Query:
      move(DlgControl::btYes);
      move(DlgControl::btNoWatch);
      if (view_) {
        move(DlgControl::btWatchExit);
        at(DlgControl::btWatchExit).visible = true;
      }
      break;
    case EMsgKind::emk_Choice:
      move(DlgControl::btYes);
      move(DlgControl::btNoWatch);
      break;
    case EMsgKind::emk_QueryAsk:
      move(DlgControl::Ask);
      move(DlgControl::btYes);
      move(DlgControl::btNoWatch);
      break;
    case EMsgKind::emk_WarningAsk:
      move(DlgControl::btWatchExit);
      move(DlgControl::Ask);
      ask.rect.left = std::max(0, (client_width_ - ask.rect.width) / 2);
      break;
  }
  client_height_ -= shift_;
  at(DlgControl::Image).rect.top = (control(reference_).rect.top - image.height) / 2;

  // Choice rows: a radio button at the left of the text area, the item's text right of it.
  if (kind_ == EMsgKind::emk_Choice) {
    DrawArea area = TextArea();
    int y = area.top;
    for (ChoiceItem& item : choices_) {
      int first = item.layout.lines.empty() ? kChoiceRadioSize : item.layout.lines[0].height;
      item.radio = {area.left, y + (first - kChoiceRadioSize) / 2, kChoiceRadioSize, kChoiceRadioSize};
      item.text_left = area.left + kChoiceRadioSize + kChoiceRadioGap;
      item.text_top = y;
      y += item.height + row_spacing_;
    }
  }
}

DrawArea DialogModel::TextArea() const {
  const DlgRect& image = control(DlgControl::Image).rect;
  DrawArea area;
  area.left = 2 * image.left + image.width;
  area.right = client_width_ - 3;
  area.top = (control(reference_).rect.top - text_height_) / 2;
  area.bottom = area.top + text_height_;
  return area;
}

std::vector<PlacedLine> DialogModel::PlacedText(const TextMeasurer& base_measurer) const {
  if (kind_ == EMsgKind::emk_Choice) return {};
  BoldMeasurer bold(base_measurer);
  const TextMeasurer& measurer = alarm_ ? static_cast<const TextMeasurer&>(bold) : base_measurer;
  return PlaceLines(text_, layout_, TextArea(), align_, measurer);
}

std::vector<PlacedLine> DialogModel::PlacedChoice(size_t i, const TextMeasurer& base_measurer) const {
  if (i >= choices_.size()) return {};
  BoldMeasurer bold(base_measurer);
  const TextMeasurer& measurer = alarm_ ? static_cast<const TextMeasurer&>(bold) : base_measurer;
  const ChoiceItem& item = choices_[i];
  DrawArea area{item.text_left, item.text_top, client_width_ - 3, item.text_top + item.height};
  return PlaceLines(item.text, item.layout, area, LineAlign::Left, measurer);
}

MessageAnswer DialogModel::Answer(EMsgButton button) const {
  MessageAnswer answer;
  answer.button = button;
  answer.checked = checked_;
  answer.chosen = chosen_;
  return answer;
}

std::optional<MessageAnswer> DialogModel::Click(DlgControl c) {
  const DlgControlState& s = control(c);
  if (!s.visible || c == DlgControl::Image || c == DlgControl::Ask) return std::nullopt;
  if (s.role == EMsgButton::emb_View || s.role == EMsgButton::emb_None) return std::nullopt;
  return Answer(s.role);
}

MessageAnswer DialogModel::Escape() const { return Answer(EMsgButton::emb_None); }

void DialogModel::SelectChoice(int index) {
  if (index >= 0 && index < static_cast<int>(choices_.size())) chosen_ = index;
}

ViewDecision DialogModel::View(const std::function<bool(const std::string&)>& file_exists) const {
  ViewDecision decision;
  decision.show_viewer = true;
  for (const std::string* file : {&err_file_, &warn_file_}) {
    if (!file->empty() && !file_exists(*file)) decision.show_viewer = false;
  }
  return decision;
}

}  // namespace tlx::messages
