// The message dialog as a model: which controls a kind shows, their captions and places, the
// measured text and the vertical shift that fits the window to it, the drawing positions, and the
// answer each button gives. The Win32 window only shows this model and forwards clicks.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "messages/lang_box.h"
#include "messages/message_sink.h"
#include "messages/text_layout.h"

namespace tlx::messages {

// Design of the window.
inline constexpr int kDialogClientWidth = 342;
inline constexpr int kDialogClientHeight = 166;
inline constexpr int kPictureSize = 64;
inline constexpr int kAlarmPictureOffset = 4;
inline constexpr uint32_t kClSkyBlue = 0x00F0CAA6;  // 0x00BBGGRR
inline constexpr uint32_t kClRed = 0x000000FF;
inline constexpr int kTimerIntervalMs = 1000;
inline constexpr int kChoiceRadioSize = 13;
inline constexpr int kChoiceRadioGap = 4;
inline constexpr int kCheckBoxSquare = 20;  // the square of a check box and its gap to the caption

struct FormScale;

// The window's design font.
inline constexpr char kDialogFontName[] = "MS Sans Serif";
inline constexpr int kDialogFontHeight = -11;

// The controls of the window, in creation order.
enum class DlgControl : uint8_t { Image, btYes, btWatchExit, btNoWatch, Ask };
inline constexpr int kDlgControlCount = 5;

struct DlgRect {
  int left = 0, top = 0, width = 0, height = 0;
  int bottom() const { return top + height; }
  bool operator==(const DlgRect&) const = default;
};

struct DlgControlState {
  DlgRect rect;
  bool visible = false;
  std::string caption;
  EMsgButton role = EMsgButton::emb_None;  // what a click means (buttons only)
};

// Pictures of the 64 x 64 image list.
enum class DlgPicture : uint8_t { Error = 0, Question = 1, Warning = 2, Information = 3 };

// One item of a choice list (kind emk_Choice), measured and placed.
struct ChoiceItem {
  std::string text;
  TextLayout layout;
  int height = 0;      // sum of its lines' heights
  DlgRect radio;       // placed by Prepare
  int text_left = 0;   // x of its lines
  int text_top = 0;    // y of its first line
};

// The window's frame: outer size minus client size (tool window with a dialog frame).
struct DlgFrame {
  int width = 6;
  int height = 25;
};

// Captions of the dialog's buttons in the controls' interface language.
std::string_view DlgButtonCaption(EMsgButton button, EMsgKind kind, ELang lang);
// The "do not show this again" caption of the check box (controls' language).
std::string_view DlgAskCaption(ELang lang);
// Kind emk_WarningAsk's check-box caption (configuration-record language).
std::string_view DlgWarningAskCaption(bool russian);
// "Нет информации для просмотра!" or its Ukrainian form.
std::string_view DlgNoInfoText(bool russian);

// What the view action does.
struct ViewDecision {
  bool show_viewer = false;   // false: show DlgNoInfoText instead
};

class DialogModel {
 public:
  // Creates the window's controls for a kind and look; captions in `controls_lang`.
  DialogModel(EMsgKind kind, bool alarm, ELang controls_lang, DlgFrame frame = {});
  // Builds the model of a sink request (kind, look, text, files, check caption, choices).
  static DialogModel FromRequest(const MessageRequest& request, ELang controls_lang,
                                 DlgFrame frame = {});

  void SetText(std::string text) { text_ = std::move(text); }
  void SetFiles(std::string err_file, std::string warn_file);
  void SetTitle(std::string title) { title_ = std::move(title); }
  // Kind emk_Choice: one item per call.
  void AddChoice(std::string text);
  // Replaces the check box caption when prepared: the box widens by the difference of the two
  // caption widths and is centred; an empty caption hides it.
  void SetAskCaption(std::string caption) { ask_caption_ = std::move(caption); }

  // The common form scaling applied to the window as created (before Prepare, when the
  // process-wide switch says windows are scaled as they are created): client area, controls and
  // font by `scale`; the font becomes "Arial", its height corrected for a `screen_ppi` screen.
  void Scale(const FormScale& scale, int screen_ppi);

  // Lays the text out and fits the window (before showing). `russian`: the configuration-record
  // language for the kind-7 check-box caption.
  void Prepare(const TextMeasurer& measurer, bool russian);

  // --- state read by the window
  EMsgKind kind() const { return kind_; }
  bool alarm() const { return alarm_; }
  const std::string& title() const { return title_; }
  const std::string& text() const { return text_; }  // without a leading "~" after Prepare
  LineAlign align() const { return align_; }
  int picture_index() const;
  uint32_t background() const { return alarm_ ? kClRed : kClSkyBlue; }
  const DlgControlState& control(DlgControl c) const { return controls_[static_cast<int>(c)]; }
  DlgControl reference() const { return reference_; }
  // The font of the text, the buttons and the check box: the design's, or Arial once scaled.
  const std::string& font_name() const { return font_name_; }
  int font_height() const { return font_height_; }
  int client_width() const { return client_width_; }
  int client_height() const { return client_height_; }
  int window_width() const { return client_width_ + frame_.width; }
  int window_height() const { return client_height_ + frame_.height; }
  const TextLayout& layout() const { return layout_; }
  int text_height() const { return text_height_; }
  int shift() const { return shift_; }
  const std::vector<ChoiceItem>& choices() const { return choices_; }
  int row_spacing() const { return row_spacing_; }
  const std::string& err_file() const { return err_file_; }
  const std::string& warn_file() const { return warn_file_; }
  bool has_files() const { return view_; }
  const std::optional<std::string>& ask_caption() const { return ask_caption_; }
  // The text area: x from 2 * picture left + picture width to client width - 3, y centred above
  // the reference control.
  DrawArea TextArea() const;
  // The message lines placed for drawing (the choice items carry their own places).
  std::vector<PlacedLine> PlacedText(const TextMeasurer& measurer) const;
  // Lines of choice item `i` placed for drawing (left aligned right of its radio button).
  std::vector<PlacedLine> PlacedChoice(size_t i, const TextMeasurer& measurer) const;

  // --- interaction
  // A click on a button: the answer when it closes the window, nullopt when the window stays
  // (the view action). A hidden control never answers.
  std::optional<MessageAnswer> Click(DlgControl control);
  // Esc or the window's close control.
  MessageAnswer Escape() const;
  void SetChecked(bool checked) { checked_ = checked; }
  bool checked() const { return checked_; }
  void SelectChoice(int index);
  int chosen() const { return chosen_; }
  // The view action: the viewer when every given file exists, else the no-information box.
  ViewDecision View(const std::function<bool(const std::string&)>& file_exists) const;

 private:
  DlgControlState& at(DlgControl c) { return controls_[static_cast<int>(c)]; }
  MessageAnswer Answer(EMsgButton button) const;

  EMsgKind kind_;
  bool alarm_;
  ELang lang_;
  DlgFrame frame_;
  std::array<DlgControlState, kDlgControlCount> controls_;
  DlgControl reference_ = DlgControl::btWatchExit;
  DlgPicture picture_ = DlgPicture::Error;
  std::string font_name_ = kDialogFontName;
  int font_height_ = kDialogFontHeight;
  int client_width_ = kDialogClientWidth;
  int client_height_ = kDialogClientHeight;
  std::string title_;
  std::string text_;
  LineAlign align_ = LineAlign::Centre;
  bool view_ = false;
  std::string err_file_, warn_file_;
  TextLayout layout_;
  int text_height_ = 0;
  int shift_ = 0;
  std::vector<ChoiceItem> choices_;
  int row_spacing_ = 0;
  bool checked_ = false;
  int chosen_ = 0;
  bool prepared_ = false;
  std::optional<std::string> ask_caption_;  // replaces the check box caption when set
};

// Draws text in bold on top of another measurer: the alarm look's canvas font.
class BoldMeasurer : public TextMeasurer {
 public:
  explicit BoldMeasurer(const TextMeasurer& base) : base_(base) {}
  int TextWidth(std::string_view utf8, const TextFormat& format) const override;
  int TextHeight(std::string_view utf8, const TextFormat& format) const override;

 private:
  const TextMeasurer& base_;
};

}  // namespace tlx::messages
