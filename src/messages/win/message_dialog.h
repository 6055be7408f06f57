// TDMessages: the suite's modal message window. It shows a DialogModel (kind, picture, text,
// buttons), keeps itself on top with a one-second timer and reports the user's answer.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "messages/dialog_model.h"
#include "messages/win/dc_measurer.h"
#include "messages/win/window.h"

namespace tlx::win {

// Opens the protocol viewer for the errors file and the inaccuracies file, modally over `owner`.
using ProtocolViewer = std::function<void(HWND owner, const std::string& err_file, const std::string& warn_file)>;
// Installs the viewer the view buttons open (the application installs its TViewPrt).
void SetProtocolViewer(ProtocolViewer viewer);

// Control identifiers of the window (the UI tests find the controls by them).
inline constexpr int kIdYes = 1;
inline constexpr int kIdWatchExit = 3;
inline constexpr int kIdNoWatch = 4;
inline constexpr int kIdAsk = 5;
inline constexpr int kIdText = 100;         // hidden static holding the message text
inline constexpr int kIdFirstChoice = 200;  // radio buttons of the choice list

class TDMessages : public Window {
 public:
  // The window of one message; the model is built when it is shown (it needs the real frame).
  explicit TDMessages(messages::MessageRequest request);
  // Shows the window modally over `owner` (may be null) and returns the answer.
  messages::MessageAnswer ShowModal(HWND owner);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool PreviewKey(const MSG& msg) override;

 private:
  void CreateControls();
  void Paint(HDC dc);
  void OnCommand(int id, int code);
  void Finish(const messages::MessageAnswer& answer);
  void ViewAction();

  messages::MessageRequest request_;
  std::optional<messages::DialogModel> dialog_;
  messages::MessageAnswer answer_;
  UniqueFont font_;
  UniqueFont ask_font_;
  UniqueImageList pictures_;
  UniqueBrush background_;
  UniqueMemoryDc measure_dc_;
  std::unique_ptr<DcMeasurer> measurer_;
  std::vector<HWND> radios_;
};

// Takes the process-wide form scale from the screen's pixels per inch (messages::ScreenFormScale):
// on a screen other than 96 ppi the message windows are scaled as they are created.
void UseScreenFormScale();

// Shows a plain message box of the toolkit (application title, one OK button) over `owner`.
void PlainMessageBox(HWND owner, const std::string& text);

}  // namespace tlx::win
