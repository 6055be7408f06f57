// The wizard's forms on the shared window layer: a borderless, centred popup with the toolkit's
// face colour, modal results, bevelled panels and the small helpers every form uses to make its
// controls. Each wizard window derives from Form, shows its model and forwards its clicks.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "messages/win/window.h"

namespace tlx::appwin {

// How a modal form was closed.
enum class EModalResult : int { mr_None = 0, mr_OK = 1, mr_Cancel = 2 };

// The face font of the forms ("MS Sans Serif" 8 pt); made once, kept until exit.
HFONT FormFont();
// A font kept until exit, for labels with their own face, size and weight.
HFONT SharedFont(std::wstring_view face, int height, bool bold = false);

// A bevelled panel: a child window that paints its edges and passes the notifications of its
// controls on to its parent. Hiding it hides its controls.
class Panel : public win::Window {
 public:
  // `edges`: the DrawEdge bits (BDR_*) of its frame; 0 for none. `visible` false creates it hidden.
  Panel(HWND parent, RECT bounds, UINT edges, COLORREF colour, bool visible = true);
  void SetVisible(bool visible);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  UINT edges_;
  COLORREF colour_;
  win::UniqueBrush brush_;
};

class Form : public win::Window {
 public:
  // A popup of width x height client pixels centred on the screen and owned by `owner`. `title` is
  // the window's text: no caption shows it, the end-to-end tests find the window by it.
  Form(const wchar_t* title, int width, int height, HWND owner, COLORREF colour = ::GetSysColor(COLOR_BTNFACE),
       DWORD extra_style = 0, DWORD ex_style = 0);

  // Shows the form modally over its owner until Close; returns how it was closed.
  EModalResult ShowModal();
  // Ends the modal showing with `result`.
  void Close(EModalResult result);
  EModalResult ModalResult() const { return result_; }
  HWND owner() const { return owner_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  // A control's notification (WM_COMMAND): its id, notification code and window.
  virtual void OnCommand(int /*id*/, int /*code*/, HWND /*control*/) {}
  // Runs once, after the form is on the screen and before the user can act.
  virtual void FormShow() {}
  // The close box, Alt+F4 or Esc: true lets the form close with "Cancel".
  virtual bool CanClose() { return true; }

  // Controls on `parent` (the form itself when null), in the form's font unless told otherwise.
  HWND AddLabel(std::string_view text, RECT bounds, HWND parent = nullptr, DWORD style = SS_LEFT,
                HFONT font = nullptr);
  HWND AddButton(std::string_view text, int id, RECT bounds, HWND parent = nullptr);
  HWND AddEdit(std::string_view text, int id, RECT bounds, HWND parent = nullptr);
  // A sunken line (a bevel of height 2).
  void AddLine(RECT bounds, HWND parent = nullptr);
  // The form's own frame: one raised panel filling it.
  void DrawRaisedFrame(bool on) { raised_frame_ = on; }
  // The colour labels and read-only fields are drawn on.
  COLORREF colour() const { return colour_; }

 private:
  HWND owner_;
  COLORREF colour_;
  win::UniqueBrush brush_;
  EModalResult result_ = EModalResult::mr_None;
  bool raised_frame_ = true;
};

// The text of a control, UTF-8.
std::string ControlText(HWND control);
void SetControlText(HWND control, std::string_view text);
bool IsChecked(HWND button);
void SetChecked(HWND button, bool checked);
// Starts a new tab and radio group at `control`.
void StartGroup(HWND control);

}  // namespace tlx::appwin
