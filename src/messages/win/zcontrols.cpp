#include "messages/win/zcontrols.h"

#include <uxtheme.h>
#include <vsstyle.h>

#include "messages/win/common_controls.h"
#include "messages/win/pictures.h"
#include "platform/win/system_library.h"

namespace tlx::win {
namespace {

// The theme functions the buttons draw with, from the system folder's UxTheme.dll (no known DLL,
// so never imported); all null when it is missing, and the buttons draw classic frames.
struct ThemeApi {
  decltype(&::IsThemeActive) is_active = nullptr;
  decltype(&::IsAppThemed) is_app_themed = nullptr;
  decltype(&::OpenThemeData) open = nullptr;
  decltype(&::DrawThemeParentBackground) draw_parent = nullptr;
  decltype(&::DrawThemeBackground) draw = nullptr;
  decltype(&::CloseThemeData) close = nullptr;

  bool usable() const { return is_active && is_app_themed && open && draw_parent && draw && close; }
};

template <typename Fn>
void Take(HMODULE module, const char* name, Fn& fn) {
  fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

const ThemeApi& Theme() {
  static const ThemeApi api = [] {
    ThemeApi a;
    HMODULE module = platform::win::LoadSystemLibrary(L"uxtheme.dll");
    if (module == nullptr) return a;
    Take(module, "IsThemeActive", a.is_active);
    Take(module, "IsAppThemed", a.is_app_themed);
    Take(module, "OpenThemeData", a.open);
    Take(module, "DrawThemeParentBackground", a.draw_parent);
    Take(module, "DrawThemeBackground", a.draw);
    Take(module, "CloseThemeData", a.close);
    return a;
  }();
  return api;
}

std::string WindowText(HWND hwnd) {
  int n = ::GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = ::GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(n));
  return Narrow(text);
}

constexpr wchar_t kTextClass[] = L"TZText";
constexpr wchar_t kPanelClass[] = L"TZBtnPanel";

}  // namespace

ZSystemControl::ZSystemControl(HWND parent, const wchar_t* class_name, DWORD style, int id, RECT bounds, HFONT font)
    : hwnd_(CreateChild(parent, class_name, L"", WS_VISIBLE | style, id, bounds, font)),
      caption_l_({[this] { return GetCaption(); }, [this](const std::string& s) { SetCaption(s); }}, &owner_),
      hint_l_({[this] { return hint_; }, [this](const std::string& s) { hint_ = s; }}, &owner_) {}

std::string ZSystemControl::GetCaption() const { return WindowText(hwnd_); }
void ZSystemControl::SetCaption(const std::string& text) { ::SetWindowTextW(hwnd_, Wide(text).c_str()); }

void ZSystemControl::SetLang(messages::ELang lang) {
  caption_l_.SetLang(lang);
  hint_l_.SetLang(lang);
}

TZLabel::TZLabel(HWND parent, int id, RECT bounds, HFONT font)
    : ZSystemControl(parent, L"STATIC", SS_LEFT, id, bounds, font) {}

TZCheckBox::TZCheckBox(HWND parent, int id, RECT bounds, HFONT font, bool text_left)
    : ZSystemControl(parent, L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX | (text_left ? BS_LEFTTEXT : 0), id, bounds,
                     font) {}
bool TZCheckBox::Checked() const { return ::SendMessageW(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

TZRadioButton::TZRadioButton(HWND parent, int id, RECT bounds, HFONT font)
    : ZSystemControl(parent, L"BUTTON", WS_TABSTOP | BS_AUTORADIOBUTTON, id, bounds, font) {}
bool TZRadioButton::Checked() const { return ::SendMessageW(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

TZGroupBox::TZGroupBox(HWND parent, int id, RECT bounds, HFONT font)
    : ZSystemControl(parent, L"BUTTON", BS_GROUPBOX, id, bounds, font) {}

TZMLButton::TZMLButton(HWND parent, int id, RECT bounds, HFONT font)
    : ZSystemControl(parent, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, id, bounds, font) {}

void TZMLButton::SetCaption(const std::string& text) {
  caption_.SetCaption(text);
  SetMultiLine(caption_.MultiLine());
  std::string window_text;
  for (char c : caption_.WindowText()) {
    if (c == '\n') window_text += '\r';
    window_text += c;
  }
  ::SetWindowTextW(hwnd(), Wide(window_text).c_str());
}

bool TZMLButton::SetMultiLine(bool on) {
  if (!caption_.SetMultiLine(on)) return false;
  LONG_PTR style = ::GetWindowLongPtrW(hwnd(), GWL_STYLE);
  style = on ? (style | BS_MULTILINE) : (style & ~static_cast<LONG_PTR>(BS_MULTILINE));
  ::SetWindowLongPtrW(hwnd(), GWL_STYLE, style);
  ::InvalidateRect(hwnd(), nullptr, TRUE);
  return true;
}

TZSelBox::TZSelBox(HWND parent, int id, RECT bounds, HFONT font)
    : ZSystemControl(parent, L"COMBOBOX", WS_TABSTOP | CBS_DROPDOWNLIST, id, bounds, font) {
  Comctl().SetWindowSubclass(hwnd(), Proc, 1, reinterpret_cast<DWORD_PTR>(this));
}

void TZSelBox::SetText(const std::string& text) {
  ::SendMessageW(hwnd(), CB_RESETCONTENT, 0, 0);
  std::wstring wide = Wide(text);
  ::SendMessageW(hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  ::SendMessageW(hwnd(), CB_SETCURSEL, 0, 0);
}

LRESULT CALLBACK TZSelBox::Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<TZSelBox*>(data);
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // The box's own list never opens: the owner shows its selection window.
      ::SetFocus(hwnd);
      if (message == WM_LBUTTONDOWN && self->on_select) self->on_select();
      return 0;
    case WM_RBUTTONUP:
      return 0;
    case WM_KEYDOWN:
      if (wparam == VK_DOWN || wparam == VK_UP || wparam == VK_F4) {
        if (self->on_select) self->on_select();
        return 0;
      }
      break;
    case WM_NCDESTROY:
      Comctl().RemoveWindowSubclass(hwnd, Proc, 1);
      break;
  }
  return Comctl().DefSubclassProc(hwnd, message, wparam, lparam);
}

TZButton::TZButton(HWND parent, int id, RECT bounds, HFONT font)
    : hwnd_(CreateChild(parent, L"BUTTON", L"", WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, id, bounds, font)),
      font_(font) {
  Comctl().SetWindowSubclass(hwnd_, Proc, 1, reinterpret_cast<DWORD_PTR>(this));
}

void TZButton::Refresh() {
  ::SetWindowTextW(hwnd_, Wide(model_.Caption()).c_str());
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT CALLBACK TZButton::Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<TZButton*>(data);
  switch (message) {
    case WM_MOUSEMOVE:
      if (!self->hot_) {
        self->hot_ = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
        ::TrackMouseEvent(&track);
        ::InvalidateRect(hwnd, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      self->hot_ = false;
      ::InvalidateRect(hwnd, nullptr, FALSE);
      break;
    case WM_NCDESTROY:
      Comctl().RemoveWindowSubclass(hwnd, Proc, 1);
      break;
  }
  return Comctl().DefSubclassProc(hwnd, message, wparam, lparam);
}

bool TZButton::DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.hwndItem != hwnd_) return false;
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const bool focused = (item.itemState & ODS_FOCUS) != 0;
  const ThemeApi& api = Theme();
  HTHEME theme = api.usable() && api.is_active() && api.is_app_themed() ? api.open(hwnd_, L"BUTTON") : nullptr;
  if (theme != nullptr) {
    int state = disabled ? PBS_DISABLED : pressed ? PBS_PRESSED : hot_ ? PBS_HOT : focused ? PBS_DEFAULTED : PBS_NORMAL;
    api.draw_parent(hwnd_, dc, &r);
    api.draw(theme, dc, BP_PUSHBUTTON, state, &r, nullptr);
    api.close(theme);
  } else {
    ::DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0) | (hot_ ? DFCS_HOT : 0));
  }
  // Image and caption, measured and placed by the model's rules.
  std::wstring caption = Wide(model_.Caption());
  SelectObjectScope select(dc, font_);
  RECT measure{0, 0, r.right - r.left - 6, 0};
  UINT flags = DT_NOPREFIX | DT_NOCLIP | (model_.Multiline() ? DT_WORDBREAK : DT_SINGLELINE);
  if (!caption.empty()) ::DrawTextW(dc, caption.c_str(), -1, &measure, flags | DT_CALCRECT);
  messages::ButtonFaceInput in;
  in.width = r.right - r.left;
  in.height = r.bottom - r.top;
  in.caption_width = caption.empty() ? 0 : measure.right - measure.left;
  in.caption_height = measure.bottom - measure.top;
  in.has_image = model_.ImageNo() != messages::eil16x16_End;
  in.layout = model_.Layout();
  in.spacing = model_.Spacing();
  in.margin = model_.Margin();
  in.multiline = model_.Multiline();
  in.align = model_.AlignH();
  in.pressed = pressed;
  messages::ButtonFace face = messages::LayoutButtonFace(in);
  if (in.has_image) {
    Comctl().ImageList_Draw(SharedImages16(), model_.ImageNo(), dc, r.left + face.image.left, r.top + face.image.top,
                     ILD_TRANSPARENT);
  }
  if (!caption.empty()) {
    RECT text = Bounds(r.left + face.caption.left, r.top + face.caption.top, face.caption.width, face.caption.height);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    UINT align = model_.AlignH() == messages::taCenter        ? DT_CENTER
                 : model_.AlignH() == messages::taRightJustify ? DT_RIGHT
                                                               : DT_LEFT;
    ::DrawTextW(dc, caption.c_str(), -1, &text, flags | align);
  }
  if (focused && theme == nullptr) {
    RECT f = r;
    ::InflateRect(&f, -4, -4);
    ::DrawFocusRect(dc, &f);
  }
  return true;
}

TZText::TZText(HWND parent, RECT bounds) {
  for (auto& f : fonts_) f = {L"MS Sans Serif", -11};
  RegisterWindowClass(kTextClass, ::GetSysColorBrush(COLOR_BTNFACE));
  model_.left = bounds.left;
  model_.top = bounds.top;
  model_.width = bounds.right - bounds.left;
  model_.height = bounds.bottom - bounds.top;
  Create(kTextClass, L"", WS_CHILD | WS_VISIBLE, 0, bounds, parent);
}

void TZText::SetFont(int i, std::wstring face, int height) {
  fonts_[i - 1] = {std::move(face), height};
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

LRESULT TZText::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      model_.width = LOWORD(lparam);
      model_.height = HIWORD(lparam);
      return 0;
    case WM_LBUTTONUP:
      model_.Click();
      ::InvalidateRect(hwnd(), nullptr, TRUE);
      if (on_click) on_click();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd(), &ps);
      std::vector<std::unique_ptr<DcMeasurer>> measurers;
      std::array<const messages::TextMeasurer*, messages::kZTextParagraphs> fonts{};
      for (int i = 0; i < messages::kZTextParagraphs; ++i) {
        measurers.push_back(std::make_unique<DcMeasurer>(dc, fonts_[i].first, fonts_[i].second));
        fonts[i] = measurers.back().get();
      }
      messages::ZTextPaint paint = model_.Paint(fonts);
      if (paint.new_height) {
        RECT r;
        ::GetWindowRect(hwnd(), &r);
        ::MapWindowPoints(nullptr, ::GetParent(hwnd()), reinterpret_cast<POINT*>(&r), 2);
        ::EndPaint(hwnd(), &ps);
        ::MoveWindow(hwnd(), r.left, r.top, r.right - r.left, *paint.new_height, TRUE);
        return 0;
      }
      RECT client;
      ::GetClientRect(hwnd(), &client);
      ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
      if (paint.border) {
        // Outer frame grey above and left, white below and right; the inner one the other way.
        auto frame = [&](RECT f, COLORREF tl, COLORREF br) {
          UniquePen a(::CreatePen(PS_SOLID, 1, tl)), b(::CreatePen(PS_SOLID, 1, br));
          SelectObjectScope sa(dc, a.get());
          ::MoveToEx(dc, f.left, f.bottom - 1, nullptr);
          ::LineTo(dc, f.left, f.top);
          ::LineTo(dc, f.right - 1, f.top);
          SelectObjectScope sb(dc, b.get());
          ::LineTo(dc, f.right - 1, f.bottom - 1);
          ::LineTo(dc, f.left, f.bottom - 1);
        };
        frame(client, messages::kZTextFrameGrey, RGB(255, 255, 255));
        RECT inner = client;
        ::InflateRect(&inner, -1, -1);
        frame(inner, RGB(255, 255, 255), messages::kZTextFrameGrey);
      }
      ::SetBkMode(dc, TRANSPARENT);
      for (const auto& line : paint.lines) {
        const DcMeasurer& m = *measurers[static_cast<size_t>(line.paragraph)];
        SelectObjectScope select(dc, m.FontFor(line.format));
        ::SetTextColor(dc, line.format.color ? static_cast<COLORREF>(*line.format.color) : ::GetSysColor(COLOR_BTNTEXT));
        std::wstring wide = Wide(line.text);
        ::TextOutW(dc, line.x, line.y, wide.c_str(), static_cast<int>(wide.size()));
      }
      ::EndPaint(hwnd(), &ps);
      return 0;
    }
    default:
      return Default(message, wparam, lparam);
  }
}

TZBtnPanel::TZBtnPanel(HWND form, HFONT font) : font_(font) {
  RegisterWindowClass(kPanelClass, ::GetSysColorBrush(COLOR_BTNFACE));
  RECT client;
  ::GetClientRect(form, &client);
  Create(kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
         Bounds(0, client.bottom - messages::kZBtnPanelHeight, client.right, messages::kZBtnPanelHeight), form);
  model_.SetWidth(std::max<int>(client.right, model_.MinWidth()));
  Rebuild();
}

void TZBtnPanel::Rebuild() {
  for (auto& b : buttons_) ::DestroyWindow(b->hwnd());
  buttons_.clear();
  // The buttons' captions measured in their font: a face wider than the designer's widens them.
  HDC dc = ::GetDC(hwnd());
  {
    SelectObjectScope select(dc, font_);
    model_.FitCaptions([dc](std::string_view text) {
      const std::wstring wide = Wide(text);
      SIZE size{0, 0};
      ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
      return static_cast<int>(size.cx);
    });
  }
  ::ReleaseDC(hwnd(), dc);
  RECT panel;
  ::GetClientRect(hwnd(), &panel);
  if (model_.width() > panel.right) {
    ::SetWindowPos(hwnd(), nullptr, 0, 0, model_.width(), messages::kZBtnPanelHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  int id = 1;
  for (const messages::PanelControl& c : model_.controls()) {
    auto button = std::make_unique<TZButton>(hwnd(), id++, Bounds(c.rect.left, c.rect.top, c.rect.width, c.rect.height),
                                             font_);
    button->model().SetDefText(c.def_text);
    button->Refresh();
    buttons_.push_back(std::move(button));
  }
}

LRESULT TZBtnPanel::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      if (model_.SetWidth(LOWORD(lparam))) {
        for (size_t i = 0; i < buttons_.size() && i < model_.controls().size(); ++i) {
          const auto& r = model_.controls()[i].rect;
          ::MoveWindow(buttons_[i]->hwnd(), r.left, r.top, r.width, r.height, TRUE);
        }
      }
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd(), &ps);
      RECT r;
      ::GetClientRect(hwnd(), &r);
      ::DrawEdge(dc, &r, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
      ::EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_DRAWITEM:
      for (auto& b : buttons_) {
        if (b->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam))) return TRUE;
      }
      return FALSE;
    case WM_COMMAND: {
      const size_t index = LOWORD(wparam) - 1;
      if (HIWORD(wparam) == BN_CLICKED && index < model_.controls().size() && form_state != nullptr) {
        model_.Click(model_.controls()[index].kind, *form_state);
        if (form_state->close_requested || form_state->modal_result != 0) {
          ::PostMessageW(::GetParent(hwnd()), WM_CLOSE, 0, 0);
        }
      }
      return 0;
    }
    default:
      return Default(message, wparam, lparam);
  }
}

}  // namespace tlx::win
