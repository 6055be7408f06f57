#include "app/win/ins_main.h"

#include <algorithm>
#include <exception>

#include "app/package_actions.h"
#include "app/win/flist_err.h"
#include "app/win/ins_dir_form.h"
#include "app/win/ins_var.h"
#include "app/win/nstr.h"
#include "app/win/okey.h"
#include "messages/uncaught.h"
#include "messages/win/dc_measurer.h"

namespace tlx::appwin {
namespace {

constexpr int kPanUpdtWidth = 351;
constexpr int kPanUpdtHeight = 127;
constexpr UINT kPanelEdges = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr wchar_t kTitleFace[] = L"Times New Roman";
// The labels' design size; the layout grows them from here.
constexpr int kStartPoints = 8;
constexpr int kVolumeBarMax = 10;

enum : int { kIdButton1 = 100, kIdButton2, kIdLabel1, kIdPBD, kIdTen, kIdOne };

platform::Rect ClientOf(HWND hwnd) {
  RECT r;
  ::GetClientRect(hwnd, &r);
  return {r.left, r.top, r.right, r.bottom};
}

int PixelHeight(HDC dc, int points) { return -::MulDiv(points, ::GetDeviceCaps(dc, LOGPIXELSY), 72); }

HWND ProgressBar(HWND parent, int id, RECT bounds, DWORD style) {
  return win::CreateChild(parent, PROGRESS_CLASSW, L"", WS_VISIBLE | style, id, bounds, nullptr);
}

}  // namespace

TInsMain::TInsMain(HWND owner, app::WizardSession& session)
    : Form(L"TInsMain", platform::ScreenSize().width, platform::ScreenSize().height, owner, RGB(0, 0, 0),
           WS_CLIPCHILDREN),
      session_(session) {
  DrawRaisedFrame(false);
  const platform::Size screen = platform::ScreenSize();
  pan_comp_ = std::make_unique<Panel>(hwnd(),
                                      win::Bounds((screen.width - app::kPanCompWidth) / 2,
                                                  (screen.height - app::kPanCompHeight) / 2, app::kPanCompWidth, app::kPanCompHeight), kPanelEdges,
                                      ::GetSysColor(COLOR_BTNFACE));
  button1_ = AddButton("Дальше", kIdButton1, win::Bounds(16, 28, 120, 27), pan_comp_->hwnd());
  button2_ = AddButton("Отказ от инсталляциии", kIdButton2,
                       win::Bounds(app::kPanCompWidth - 16 - 170, 28, 170, 27), pan_comp_->hwnd());

  // Hidden from the start: the installation step shows it.
  pan_updt_ = std::make_unique<Panel>(hwnd(), win::Bounds(0, 0, kPanUpdtWidth, kPanUpdtHeight), kPanelEdges,
                                      ::GetSysColor(COLOR_BTNFACE), false);
  AddLabel("Формирование папок ПК", win::Bounds(12, 12, 280, 16), pan_updt_->hwnd());
  pbd_ = ProgressBar(pan_updt_->hwnd(), kIdPBD, win::Bounds(12, 52, 280, 20), PBS_SMOOTH);
  ::SendMessageW(pbd_, PBM_SETRANGE32, 0, 15);
  ten_ = ProgressBar(pan_updt_->hwnd(), kIdTen, win::Bounds(303, 10, 16, kPanUpdtHeight - 20), PBS_VERTICAL);
  one_ = ProgressBar(pan_updt_->hwnd(), kIdOne, win::Bounds(325, 10, 16, kPanUpdtHeight - 20), PBS_VERTICAL);
  for (HWND bar : {ten_, one_}) {
    ::SendMessageW(bar, PBM_SETRANGE32, 0, kVolumeBarMax);
    ::SendMessageW(bar, PBM_SETSTEP, 1, 0);
  }
  FormResize();
}

void TInsMain::Run() { ShowModal(); }

void TInsMain::FormShow() {
  bool shown = false;
  try {
    shown = model_.FormShow(platform::ScreenSize(), session_.Distribution());
  } catch (...) {
    messages::ShowUncaught(std::current_exception());
  }
  if (!shown) {
    Close(EModalResult::mr_Cancel);
    return;
  }
  pan_updt_->SetVisible(model_.PanUpdtVisible);
  ::SetWindowPos(pan_comp_->hwnd(), nullptr, model_.PanCompLeft, model_.PanCompTop, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::RedrawWindow(pan_comp_->hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  ::SetFocus(button1_);
}

void TInsMain::FormResize() {
  const platform::Rect client = ClientOf(hwnd());
  im1_ = app::LogoBounds(platform::DesktopRect());
  HDC dc = ::GetDC(hwnd());
  {
    win::DcMeasurer measurer(dc, kTitleFace, PixelHeight(dc, kStartPoints));
    lab1_ = app::FitTitle(measurer, app::kMainTitle, kStartPoints, im1_, client);
    lab2_ = app::FitVendor(measurer, kVendorLine, kStartPoints, lab1_.points, client);
  }
  ::ReleaseDC(hwnd(), dc);
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void TInsMain::WMEraseBkgnd(HDC dc) {
  const platform::Rect client = ClientOf(hwnd());
  for (const app::Band& band : app::BackgroundBands(client.bottom - client.top)) {
    win::UniqueBrush brush(::CreateSolidBrush(band.colour));
    RECT r{client.left, band.top, client.right, band.bottom};
    ::FillRect(dc, &r, brush.get());
  }
}

void TInsMain::Paint(HDC dc) {
  DrawLogo(dc, win::Bounds(im1_.left, im1_.top, im1_.width, im1_.height));
  ::SetBkMode(dc, TRANSPARENT);
  const auto label = [dc](const app::FittedLabel& fit, std::string_view text, COLORREF colour) {
    win::SelectObjectScope font(dc, SharedFont(kTitleFace, PixelHeight(dc, fit.points), true));
    ::SetTextColor(dc, colour);
    RECT r = win::Bounds(fit.bounds.left, fit.bounds.top, fit.bounds.width, fit.bounds.height);
    std::wstring wide = win::Wide(text);
    ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  };
  label(lab1_, app::kMainTitle, RGB(255, 255, 255));
  label(lab2_, kVendorLine, RGB(0, 0, 255));
}

LRESULT TInsMain::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      WMEraseBkgnd(reinterpret_cast<HDC>(wparam));
      return 1;
    case WM_PAINT: {
      win::PaintScope paint(hwnd());
      HDC dc = paint.dc();
      Paint(dc);
      return 0;
    }
    case WM_SIZE:
      FormResize();
      return 0;
  }
  return Form::HandleMessage(message, wparam, lparam);
}

void TInsMain::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED || busy_) return;
  if (id == kIdButton1) Button1Click();
  if (id == kIdButton2) Close(EModalResult::mr_Cancel);
}

void TInsMain::Button1Click() {
  busy_ = true;
  session_.Button1Click(model_, *this, *this);
  busy_ = false;
}

void TInsMain::HideStartPanel() {
  pan_comp_->SetVisible(false);
  model_.PanCompVisible = false;
}

void TInsMain::HideProgressPanel() { pan_updt_->SetVisible(false); }

std::optional<int32_t> TInsMain::ShowVariant() { return TInsVar(hwnd(), model_.Presets.variant).Run(); }

bool TInsMain::ShowInsDir(app::TInsDir& window) {
  // Without a fixed disk the window's modal loop ends at once with "Cancel".
  if (window.Terminated()) return false;
  return TInsDir(hwnd(), window).ShowModal() == EModalResult::mr_OK;
}

void TInsMain::ShowSettings(store::TNstr& window) { TNstr(hwnd(), window).Run(); }

void TInsMain::ShowFinish() { TOKEY(hwnd()).ShowModal(); }

platform::Size TInsMain::Screen() const { return platform::ScreenSize(); }

void TInsMain::CloseMain() { Close(EModalResult::mr_OK); }

void TInsMain::ResetVolumeBars(int tens_max) {
  ::SendMessageW(ten_, PBM_SETRANGE32, 0, std::max(tens_max, 1));
  for (HWND bar : {pbd_, ten_, one_}) ::SendMessageW(bar, PBM_SETPOS, 0, 0);
}

void TInsMain::ShowVolumeBars(const std::string&, int tens, int units) {
  ::SendMessageW(ten_, PBM_SETPOS, tens, 0);
  ::SendMessageW(one_, PBM_SETPOS, units, 0);
  ::UpdateWindow(pan_updt_->hwnd());
  win::PumpMessages();
}

void TInsMain::ShowProgressPanel() {
  const platform::Size screen = platform::ScreenSize();
  ::MoveWindow(pan_updt_->hwnd(), (screen.width - kPanUpdtWidth) / 2, (screen.height - kPanUpdtHeight) / 2,
               kPanUpdtWidth, kPanUpdtHeight, TRUE);
  pan_updt_->SetVisible(true);
  model_.PanUpdtVisible = true;
  win::PumpMessages();
}

void TInsMain::ShowFileBar(int position, int max) {
  ::SendMessageW(pbd_, PBM_SETRANGE32, 0, std::max(max, 1));
  ::SendMessageW(pbd_, PBM_SETPOS, std::min(position, max), 0);
  ::UpdateWindow(pbd_);
}

void TInsMain::ShowErrorList(const std::vector<std::string>& lines) { TFListErr(hwnd(), lines).ShowModal(); }

void DrawLogo(HDC dc, const RECT& r) {
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  const auto at = [&](double x, double y) { return POINT{r.left + static_cast<int>(x * w), r.top + static_cast<int>(y * h)}; };
  // A white tile with a blue frame, a red roof over three walls of a building and the letters.
  win::UniqueBrush tile(::CreateSolidBrush(RGB(255, 255, 255)));
  win::UniquePen frame(::CreatePen(PS_SOLID, std::max(1, w / 30), RGB(0, 0, 160)));
  {
    win::SelectObjectScope b(dc, tile.get());
    win::SelectObjectScope p(dc, frame.get());
    ::RoundRect(dc, r.left + 1, r.top + 1, r.right - 1, r.bottom - 1, w / 5, h / 5);
  }
  win::UniqueBrush roof(::CreateSolidBrush(RGB(200, 30, 30)));
  win::UniqueBrush wall(::CreateSolidBrush(RGB(0, 70, 170)));
  win::UniquePen none(::CreatePen(PS_NULL, 0, 0));
  win::SelectObjectScope p(dc, none.get());
  {
    win::SelectObjectScope b(dc, roof.get());
    POINT tri[3] = {at(0.18, 0.42), at(0.5, 0.14), at(0.82, 0.42)};
    ::Polygon(dc, tri, 3);
  }
  {
    win::SelectObjectScope b(dc, wall.get());
    for (double x : {0.24, 0.44, 0.64}) {
      POINT a = at(x, 0.45), c = at(x + 0.12, 0.62);
      ::Rectangle(dc, a.x, a.y, c.x, c.y);
    }
  }
  HFONT font = SharedFont(L"Arial", -std::max(6, h / 4), true);
  win::SelectObjectScope f(dc, font);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(0, 0, 160));
  RECT text{r.left, r.top + h * 63 / 100, r.right, r.bottom - 2};
  ::DrawTextW(dc, L"ТЛК 5", -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace tlx::appwin
