// TLcDg: the licence-agreement window, the application's main window. Accepting runs the system
// check and then the setup main window modally; declining, or the end of the main window, closes it
// and so ends the program.
#pragma once
#include <memory>
#include <string>

#include "app/win/form.h"
#include "app/wizard_session.h"

namespace tlx::appwin {

class TLcDg : public Form {
 public:
  // Creates the window (hidden) for the run `session` (which must outlive it); Show puts it on the
  // screen with the focus on KNo.
  explicit TLcDg(app::WizardSession& session);
  void Show();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnCommand(int id, int code, HWND control) override;

 private:
  void KYesClick();
  void KNoClick();

  app::WizardSession& session_;
  std::unique_ptr<Panel> panel_;
  HWND memo1_ = nullptr;
  HWND kyes_ = nullptr;
  HWND kno_ = nullptr;
};

// The licence-agreement text of the program's resources, with Windows line ends.
std::string LicenceText();

}  // namespace tlx::appwin
