// The bilingual controls on Windows: system controls whose caption and hint live in TZLangBox
// holders (TZLabel, TZCheckBox, TZRadioButton, TZGroupBox, TZMLButton, TZSelBox), the owner-drawn
// image button TZButton, the text panel TZText and the form button panel TZBtnPanel.
#pragma once
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "messages/btn_panel.h"
#include "messages/lang_box.h"
#include "messages/ml_caption.h"
#include "messages/zbutton.h"
#include "messages/ztext.h"
#include "messages/win/dc_measurer.h"
#include "messages/win/window.h"

namespace tlx::win {

// A system control with a bilingual caption ("Caption") and hint ("Hint"). The control window is
// owned by its parent (destroyed with it); the object must outlive neither.
class ZSystemControl {
 public:
  ZSystemControl(HWND parent, const wchar_t* class_name, DWORD style, int id, RECT bounds, HFONT font);
  virtual ~ZSystemControl() = default;
  ZSystemControl(const ZSystemControl&) = delete;
  ZSystemControl& operator=(const ZSystemControl&) = delete;

  HWND hwnd() const { return hwnd_; }
  messages::LangBoxOwner& owner() { return owner_; }
  messages::TZLangBox& CaptionL() { return caption_l_; }
  messages::TZLangBox& HintL() { return hint_l_; }
  // Switches both boxes.
  void SetLang(messages::ELang lang);

 protected:
  virtual std::string GetCaption() const;
  virtual void SetCaption(const std::string& text);

 private:
  HWND hwnd_;
  std::string hint_;
  messages::LangBoxOwner owner_;
  messages::TZLangBox caption_l_;
  messages::TZLangBox hint_l_;
};

class TZLabel : public ZSystemControl {
 public:
  TZLabel(HWND parent, int id, RECT bounds, HFONT font);
};
class TZCheckBox : public ZSystemControl {
 public:
  TZCheckBox(HWND parent, int id, RECT bounds, HFONT font, bool text_left = false);
  bool Checked() const;
};
class TZRadioButton : public ZSystemControl {
 public:
  TZRadioButton(HWND parent, int id, RECT bounds, HFONT font);
  bool Checked() const;
};
class TZGroupBox : public ZSystemControl {
 public:
  TZGroupBox(HWND parent, int id, RECT bounds, HFONT font);
};

// A push button whose caption uses "#" for line breaks.
class TZMLButton : public ZSystemControl {
 public:
  TZMLButton(HWND parent, int id, RECT bounds, HFONT font);
  bool MultiLine() const { return caption_.MultiLine(); }
  bool SetMultiLine(bool on);

 protected:
  std::string GetCaption() const override { return caption_.Caption(); }
  void SetCaption(const std::string& text) override;

 private:
  messages::MLButtonCaption caption_;
};

// A read-only selection box: a click raises OnSelect instead of opening the list.
class TZSelBox : public ZSystemControl {
 public:
  TZSelBox(HWND parent, int id, RECT bounds, HFONT font);
  std::function<void()> on_select;
  void SetText(const std::string& text);

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
};

// The owner-drawn image button. Its parent passes WM_DRAWITEM on with DrawItem.
class TZButton {
 public:
  TZButton(HWND parent, int id, RECT bounds, HFONT font);
  TZButton(const TZButton&) = delete;
  TZButton& operator=(const TZButton&) = delete;

  HWND hwnd() const { return hwnd_; }
  messages::TZButtonModel& model() { return model_; }
  // Applies the model's caption to the window (after DefText or CaptionL changes).
  void Refresh();
  // Draws the button for WM_DRAWITEM; false when the item is not this button.
  bool DrawItem(const DRAWITEMSTRUCT& item);

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  HWND hwnd_;
  HFONT font_;
  bool hot_ = false;
  messages::TZButtonModel model_;
};

// The text panel: five paragraphs per language painted with their fonts and alignments.
class TZText : public Window {
 public:
  TZText(HWND parent, RECT bounds);
  messages::TZTextModel& model() { return model_; }
  // Paragraph `i` (1..5) uses `font` (face, height) from now on.
  void SetFont(int i, std::wstring face, int height);
  std::function<void()> on_click;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  messages::TZTextModel model_;
  std::array<std::pair<std::wstring, int>, messages::kZTextParagraphs> fonts_;
};

// The form button panel at the bottom of a form.
class TZBtnPanel : public Window {
 public:
  TZBtnPanel(HWND form, HFONT font);
  messages::TZBtnPanelModel& model() { return model_; }
  // Makes the buttons of the model's Kind and places them.
  void Rebuild();
  // The form's close query (the form calls it from WM_CLOSE); true lets the form close.
  bool CloseQuery(messages::PanelForm& form) { return model_.CloseQuery(form); }
  messages::PanelForm* form_state = nullptr;  // where clicks put the modal result

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  HFONT font_;
  messages::TZBtnPanelModel model_;
  std::vector<std::unique_ptr<TZButton>> buttons_;
};

}  // namespace tlx::win
