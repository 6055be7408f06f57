#include "messages/win/message_dialog.h"

#include <memory>

#include "config/config_record.h"
#include "messages/scale_form.h"
#include "messages/win/common_controls.h"
#include "messages/win/pictures.h"
#include "platform/fs.h"

namespace tlx::win {
namespace {

using messages::DlgControl;

constexpr wchar_t kClassName[] = L"TDMessages";
constexpr UINT_PTR kTopTimer = 1;

ProtocolViewer& ViewerSlot() {
  static ProtocolViewer viewer;
  return viewer;
}

int IdOf(DlgControl c) {
  switch (c) {
    case DlgControl::btYes: return kIdYes;
    case DlgControl::btWatchExit: return kIdWatchExit;
    case DlgControl::btNoWatch: return kIdNoWatch;
    case DlgControl::Ask: return kIdAsk;
    default: return 0;
  }
}

RECT ToRect(const messages::DlgRect& r) { return Bounds(r.left, r.top, r.width, r.height); }

bool InterfaceRussian() { return config::Config().InterfaceLanguage() != 0; }

}  // namespace

void SetProtocolViewer(ProtocolViewer viewer) { ViewerSlot() = std::move(viewer); }

void UseScreenFormScale() {
  HDC screen = ::GetDC(nullptr);
  const int ppi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  messages::CurrentFormScale() = messages::ScreenFormScale(ppi);
}

void PlainMessageBox(HWND owner, const std::string& text) {
  ::MessageBoxW(owner, Wide(text).c_str(), ApplicationTitle().c_str(), MB_OK);
}

TDMessages::TDMessages(messages::MessageRequest request) : request_(std::move(request)) {}

messages::MessageAnswer TDMessages::ShowModal(HWND owner) {
  RegisterWindowClass(kClassName);
  pictures_ = MakeMessagePictures();
  HDC screen = ::GetDC(nullptr);
  measure_dc_ = UniqueMemoryDc(::CreateCompatibleDC(screen));
  const int screen_ppi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);

  // The frame of a tool window with a caption decides how much of the window the client gets.
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD ex_style = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
  RECT frame{0, 0, messages::kDialogClientWidth, messages::kDialogClientHeight};
  ::AdjustWindowRectEx(&frame, style, FALSE, ex_style);
  messages::DlgFrame dlg_frame{(frame.right - frame.left) - messages::kDialogClientWidth,
                               (frame.bottom - frame.top) - messages::kDialogClientHeight};
  dialog_.emplace(messages::DialogModel::FromRequest(request_, messages::InterfaceLang(), dlg_frame));
  messages::DialogModel& model = *dialog_;
  const messages::FormScale& scale = messages::CurrentFormScale();
  if (scale.scale_on_create) model.Scale(scale, screen_ppi);
  const std::wstring face = Wide(model.font_name());
  font_ = MakeFont(face, model.font_height(), false, false, false, false, RUSSIAN_CHARSET);
  measurer_ = std::make_unique<DcMeasurer>(measure_dc_.get(), face, model.font_height());
  model.Prepare(*measurer_, InterfaceRussian());
  background_ = UniqueBrush(::CreateSolidBrush(model.background()));

  RECT bounds = CentreOnScreen(model.window_width(), model.window_height());
  if (!Create(kClassName, Wide(model.title()), style, ex_style, bounds, owner)) return model.Escape();
  CreateControls();
  answer_ = model.Escape();
  ::SetTimer(hwnd(), kTopTimer, messages::kTimerIntervalMs, nullptr);
  RunModal(owner);
  if (hwnd() != nullptr) {
    ::KillTimer(hwnd(), kTopTimer);
    ::DestroyWindow(hwnd());
  }
  return answer_;
}

void TDMessages::CreateControls() {
  for (DlgControl c : {DlgControl::btYes, DlgControl::btWatchExit, DlgControl::btNoWatch}) {
    const auto& s = dialog_->control(c);
    DWORD style = WS_TABSTOP | BS_PUSHBUTTON | (s.visible ? WS_VISIBLE : 0);
    CreateChild(hwnd(), L"BUTTON", Wide(s.caption), style, IdOf(c), ToRect(s.rect), font_.get());
  }
  const auto& ask = dialog_->control(DlgControl::Ask);
  if (ask.visible) {
    // Kind 4 shows the text left of the box, kind 7 right of it.
    DWORD style = WS_TABSTOP | WS_VISIBLE | BS_AUTOCHECKBOX |
                  (dialog_->kind() == messages::EMsgKind::emk_WarningAsk ? 0 : BS_LEFTTEXT);
    CreateChild(hwnd(), L"BUTTON", Wide(ask.caption), style, kIdAsk, ToRect(ask.rect), font_.get());
  }
  // The message text, for screen readers and the UI tests; the window paints it itself.
  CreateChild(hwnd(), L"STATIC", Wide(dialog_->text()), SS_NOPREFIX, kIdText, Bounds(0, 0, 1, 1), font_.get());
  for (size_t i = 0; i < dialog_->choices().size(); ++i) {
    const auto& item = dialog_->choices()[i];
    DWORD style = WS_VISIBLE | BS_AUTORADIOBUTTON | (i == 0 ? WS_TABSTOP | WS_GROUP : 0);
    HWND radio = CreateChild(hwnd(), L"BUTTON", L"", style, kIdFirstChoice + static_cast<int>(i),
                             ToRect(item.radio), font_.get());
    if (i == 0) ::SendMessageW(radio, BM_SETCHECK, BST_CHECKED, 0);
    radios_.push_back(radio);
  }
  // Focus on the first visible button.
  for (DlgControl c : {DlgControl::btYes, DlgControl::btWatchExit, DlgControl::btNoWatch}) {
    if (dialog_->control(c).visible) {
      ::SetFocus(::GetDlgItem(hwnd(), IdOf(c)));
      break;
    }
  }
}

void TDMessages::Paint(HDC dc) {
  RECT client;
  ::GetClientRect(hwnd(), &client);
  ::FillRect(dc, &client, background_.get());
  const auto& image = dialog_->control(DlgControl::Image).rect;
  if (image.width == messages::kPictureSize && image.height == messages::kPictureSize) {
    Comctl().ImageList_Draw(pictures_.get(), dialog_->picture_index(), dc, image.left, image.top, ILD_TRANSPARENT);
  } else {  // a scaled window stretches its picture
    HICON icon = Comctl().ImageList_GetIcon(pictures_.get(), dialog_->picture_index(), ILD_TRANSPARENT);
    ::DrawIconEx(dc, image.left, image.top, icon, image.width, image.height, 0, nullptr, DI_NORMAL);
    ::DestroyIcon(icon);
  }
  ::SetBkMode(dc, TRANSPARENT);
  const COLORREF default_colour = dialog_->alarm() ? RGB(255, 255, 255) : RGB(0, 0, 0);
  auto draw = [&](const std::string& text, const std::vector<messages::PlacedLine>& lines) {
    for (const auto& line : lines) {
      messages::TextFormat format = line.format;
      if (dialog_->alarm()) format.bold = true;
      SelectObjectScope select(dc, measurer_->FontFor(format));
      ::SetTextColor(dc, format.color ? static_cast<COLORREF>(*format.color) : default_colour);
      std::wstring wide = Wide(std::string_view(text).substr(line.start, line.length));
      ::TextOutW(dc, line.x, line.y, wide.c_str(), static_cast<int>(wide.size()));
    }
  };
  draw(dialog_->text(), dialog_->PlacedText(*measurer_));
  for (size_t i = 0; i < dialog_->choices().size(); ++i) {
    draw(dialog_->choices()[i].text, dialog_->PlacedChoice(i, *measurer_));
  }
}

void TDMessages::Finish(const messages::MessageAnswer& answer) {
  answer_ = answer;
  EndModal();
}

void TDMessages::ViewAction() {
  ::KillTimer(hwnd(), kTopTimer);
  messages::ViewDecision decision = dialog_->View([](const std::string& f) { return platform::FileExists(f); });
  if (!decision.show_viewer) {
    PlainMessageBox(hwnd(), std::string(messages::DlgNoInfoText(InterfaceRussian())));
  } else if (ViewerSlot()) {
    ViewerSlot()(hwnd(), dialog_->err_file(), dialog_->warn_file());
  }
  ::SetTimer(hwnd(), kTopTimer, messages::kTimerIntervalMs, nullptr);
}

void TDMessages::OnCommand(int id, int code) {
  if (id >= kIdFirstChoice && id < kIdFirstChoice + static_cast<int>(radios_.size())) {
    if (code == BN_CLICKED) dialog_->SelectChoice(id - kIdFirstChoice);
    return;
  }
  if (id == kIdAsk) {
    dialog_->SetChecked(::SendMessageW(::GetDlgItem(hwnd(), kIdAsk), BM_GETCHECK, 0, 0) == BST_CHECKED);
    return;
  }
  if (id == IDCANCEL) {
    Finish(dialog_->Escape());
    return;
  }
  DlgControl control;
  switch (id) {
    case kIdYes: control = DlgControl::btYes; break;
    case kIdWatchExit: control = DlgControl::btWatchExit; break;
    case kIdNoWatch: control = DlgControl::btNoWatch; break;
    default: return;
  }
  if (std::optional<messages::MessageAnswer> answer = dialog_->Click(control)) {
    Finish(*answer);
  } else if (dialog_->control(control).visible && dialog_->control(control).role == messages::EMsgButton::emb_View) {
    ViewAction();
  }
}

bool TDMessages::PreviewKey(const MSG& msg) {
  if (IsPlainEscape(msg)) {
    Finish(dialog_->Escape());
    return true;
  }
  return false;
}

LRESULT TDMessages::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      PaintScope paint(hwnd());
      HDC dc = paint.dc();
      Paint(dc);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wparam);
      ::SetBkColor(dc, dialog_->background());
      ::SetTextColor(dc, dialog_->alarm() ? RGB(255, 255, 255) : RGB(0, 0, 0));
      return reinterpret_cast<LRESULT>(background_.get());
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_TIMER:
      if (wparam == kTopTimer) {
        ::SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ::BringWindowToTop(hwnd());
      }
      return 0;
    case WM_CLOSE:
      Finish(dialog_->Escape());
      return 0;
    default:
      return Default(message, wparam, lparam);
  }
}

}  // namespace tlx::win
