// TInsMain: the setup main window. A borderless backdrop over the whole screen with the colour
// gradient, the logo, the title and the vendor line; the start panel PanComp runs the wizard, the
// progress panel PanUpdt shows the installation. It is the wizard's view and the installation's view.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "app/main_layout.h"
#include "app/main_window.h"
#include "app/win/form.h"
#include "app/wizard.h"
#include "app/wizard_session.h"
#include "package/install_package.h"

namespace tlx::appwin {

class TInsMain : public Form, public app::WizardView, public package::InstallView {
 public:
  // The window, owned by the agreement window `owner`, for the run `session` (which outlives it).
  TInsMain(HWND owner, app::WizardSession& session);
  // Shows the window modally: its first showing, then the start panel until the wizard or
  // "Отказ от инсталляциии" closes it.
  void Run();

  // WizardView.
  void HideStartPanel() override;
  void HideProgressPanel() override;
  std::optional<int32_t> ShowVariant() override;
  bool ShowInsDir(app::TInsDir& window) override;
  void ShowSettings(store::TNstr& window) override;
  void ShowFinish() override;
  platform::Size Screen() const override;
  void CloseMain() override;

  // InstallView.
  void ResetVolumeBars(int tens_max) override;
  void ShowVolumeBars(const std::string& volume, int tens, int units) override;
  void ShowProgressPanel() override;
  void ShowFileBar(int position, int max) override;
  void ShowErrorList(const std::vector<std::string>& lines) override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnCommand(int id, int code, HWND control) override;
  void FormShow() override;
  bool CanClose() override { return !busy_; }

 private:
  void FormResize();
  void WMEraseBkgnd(HDC dc);
  void Paint(HDC dc);
  void Button1Click();

  app::WizardSession& session_;
  app::TInsMain model_;
  bool busy_ = false;  // the wizard runs: the window stays open whatever is asked
  std::unique_ptr<Panel> pan_comp_;
  std::unique_ptr<Panel> pan_updt_;
  HWND button1_ = nullptr;
  HWND button2_ = nullptr;
  HWND pbd_ = nullptr;
  HWND ten_ = nullptr;
  HWND one_ = nullptr;
  app::Bounds im1_;
  app::FittedLabel lab1_;
  app::FittedLabel lab2_;
};

// The vendor line along the bottom of the main window.
inline constexpr char kVendorLine[] = "© Научно-производственная фирма «ТЛК-Софт», 1998-2024. Все права защищены.";

// The suite's logo, drawn to fill `r`.
void DrawLogo(HDC dc, const RECT& r);

}  // namespace tlx::appwin
