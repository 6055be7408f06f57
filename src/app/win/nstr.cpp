#include "app/win/nstr.h"

#include <cmath>
#include <utility>

#include "messages/win/common_controls.h"

namespace tlx::appwin {
namespace {

constexpr int kWidth = 542;
constexpr int kHeight = 388;
constexpr int kCheckStep = 19;

enum : int { kIdFirst = 100, kIdAutoDtTm = 300, kIdScale, kIdApply };

const store::SettingsCaption& CaptionOf(std::string_view name) {
  for (const store::SettingsCaption& c : store::kSettingsCaptions) {
    if (c.control == name) return c;
  }
  static const store::SettingsCaption none{};
  return none;
}

// The scale list takes no keys: the scale is picked from the list only.
LRESULT CALLBACK ScaleProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
  if ((message == WM_KEYDOWN || message == WM_CHAR) && !store::TNstr::ScaleTakesKey()) return 0;
  if (message == WM_NCDESTROY) win::Comctl().RemoveWindowSubclass(hwnd, ScaleProc, 1);
  return win::Comctl().DefSubclassProc(hwnd, message, wparam, lparam);
}

constexpr double kMinutesPerDay = 24.0 * 60.0;

// The other radio button of each pair, checked exactly when its partner is not.
constexpr std::pair<std::string_view, std::string_view> kPartners[] = {
    {"UILang", "RILang"}, {"UDLang", "RDLang"}, {"NoScale", "YesScale"}, {"SelNumMax", "SelNumFree"}};

// The window's font: a point smaller than the other forms', so the long captions fit its fixed size.
HFONT NstrFont() { return SharedFont(L"MS Sans Serif", -10); }

}  // namespace

template <typename Control>
Control& TNstr::Add(std::string_view name, int id, RECT bounds, HWND parent) {
  auto control = std::make_unique<Control>(parent ? parent : hwnd(), id, bounds, NstrFont());
  const store::SettingsCaption& caption = CaptionOf(name);
  control->CaptionL().SetLRus(std::string(caption.rus));
  control->CaptionL().SetLUkr(std::string(caption.ukr));
  Control& result = *control;
  by_name_[name] = control->hwnd();
  controls_.push_back(std::move(control));
  return result;
}

TNstr::TNstr(HWND owner, store::TNstr& model) : Form(L"TNstr", kWidth, kHeight, owner), model_(model) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_DATE_CLASSES};
  win::Comctl().InitCommonControlsEx(&icc);
  z_text1_ = std::make_unique<win::TZText>(hwnd(), win::Bounds(4, 4, kWidth - 8, 24));
  z_text1_->model().TextR(1) = std::string(CaptionOf("ZText1").rus);
  z_text1_->model().TextU(1) = std::string(CaptionOf("ZText1").ukr);
  z_text1_->model().SetHor(1, 1);
  z_text1_->SetFont(1, L"Arial", -16);

  int id = kIdFirst;
  // Left column: the interface, in three groups of two choices.
  Add<win::TZGroupBox>("ZGroupBox1", id++, win::Bounds(6, 30, 270, 152));
  const struct {
    const char* group;
    const char* first;
    const char* second;
    int top;
  } pairs[] = {{"ZGroupBox2", "RILang", "UILang", 46},
               {"ZGroupBox3", "RDLang", "UDLang", 88},
               {"ZGS", "YesScale", "NoScale", 130}};
  for (const auto& p : pairs) {
    StartGroup(Add<win::TZGroupBox>(p.group, id++, win::Bounds(12, p.top, 258, p.top == 130 ? 46 : 40)).hwnd());
    StartGroup(Add<win::TZRadioButton>(p.first, id++, win::Bounds(20, p.top + 16, 116, 18)).hwnd());
    Add<win::TZRadioButton>(p.second, id++, win::Bounds(140, p.top + 16, 124, 18));
  }
  // Right column: numbering, the scale, automatic saving.
  StartGroup(Add<win::TZGroupBox>("ZGroupBox4", id++, win::Bounds(282, 30, 252, 56)).hwnd());
  StartGroup(Add<win::TZRadioButton>("SelNumMax", id++, win::Bounds(290, 46, 236, 17)).hwnd());
  Add<win::TZRadioButton>("SelNumFree", id++, win::Bounds(290, 64, 236, 17));
  StartGroup(Add<win::TZLabel>("ZLabel1", id++, win::Bounds(282, 90, 252, 28)).hwnd());
  scale_ = win::CreateChild(hwnd(), L"COMBOBOX", L"", WS_VISIBLE | WS_TABSTOP | WS_GROUP | CBS_DROPDOWNLIST, kIdScale,
                            win::Bounds(282, 116, 90, 160), NstrFont());
  for (std::string_view item : store::kScaleItems) {
    std::wstring text = win::Wide(item);
    ::SendMessageW(scale_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  win::Comctl().SetWindowSubclass(scale_, ScaleProc, 1, 0);
  StartGroup(Add<win::TZCheckBox>("CbAuto", id++, win::Bounds(282, 142, 252, 18)).hwnd());
  auto_dt_tm_ = win::CreateChild(hwnd(), DATETIMEPICK_CLASSW, L"", WS_VISIBLE | WS_TABSTOP | WS_GROUP | DTS_TIMEFORMAT | DTS_UPDOWN,
                                 kIdAutoDtTm, win::Bounds(300, 162, 64, 22), NstrFont());
  ::SendMessageW(auto_dt_tm_, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(win::Wide(store::kAutoTimeFormat).c_str()));
  StartGroup(Add<win::TZLabel>("AutoLb", id++, win::Bounds(368, 166, 168, 16)).hwnd());
  // Below: the option check boxes, full width.
  int top = 188;
  for (const char* name : {"CBNsi", "CBCross", "CBStk", "CbCheckUpInet", "CbHeaderBld", "CbHeaderKp",
                           "CbRestoreNsiInLS", "CbHintForPos"}) {
    StartGroup(Add<win::TZCheckBox>(name, id++, win::Bounds(8, top, kWidth - 16, 18)).hwnd());
    top += kCheckStep;
  }
  StartGroup(Add<win::TZMLButton>("ZMLButton1", kIdApply, win::Bounds(kWidth - 8 - 120, 350, 120, 28)).hwnd());
  ShowModel();
}

void TNstr::ShowModel() {
  for (const auto& [name, member] : store::kSettingsChoices) SetChecked(by_name_.at(name), model_.*member);
  for (const auto& [name, partner] : kPartners) SetChecked(by_name_.at(name), !IsChecked(by_name_.at(partner)));
  ::SendMessageW(scale_, CB_SETCURSEL, static_cast<WPARAM>(model_.Scale), 0);

  SYSTEMTIME time{};
  ::GetLocalTime(&time);
  const int minutes = static_cast<int>(std::lround((model_.AutoDtTm - std::floor(model_.AutoDtTm)) * kMinutesPerDay));
  time.wHour = static_cast<WORD>(minutes / 60 % 24);
  time.wMinute = static_cast<WORD>(minutes % 60);
  time.wSecond = 0;
  time.wMilliseconds = 0;
  ::SendMessageW(auto_dt_tm_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));

  const int zgs = model_.ZGSVisible() ? SW_SHOW : SW_HIDE;
  for (std::string_view name : {"ZGS", "YesScale", "NoScale"}) ::ShowWindow(by_name_.at(name), zgs);
  ShowAutoTime();
}

void TNstr::ShowAutoTime() {
  const int shown = model_.AutoVisible() ? SW_SHOW : SW_HIDE;
  ::ShowWindow(auto_dt_tm_, shown);
  ::ShowWindow(by_name_.at("AutoLb"), shown);
}

void TNstr::ReadControls() {
  for (const auto& [name, member] : store::kSettingsChoices) model_.*member = IsChecked(by_name_.at(name));
  model_.PickScale(static_cast<int>(::SendMessageW(scale_, CB_GETCURSEL, 0, 0)));
  SYSTEMTIME time{};
  if (::SendMessageW(auto_dt_tm_, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) == GDT_VALID) {
    model_.AutoDtTm = std::floor(model_.AutoDtTm) + (time.wHour * 60 + time.wMinute) / kMinutesPerDay;
  }
}

void TNstr::Run() {
  ShowModal();
  ReadControls();
}

void TNstr::CbAutoClick() {
  model_.CbAuto = IsChecked(by_name_.at("CbAuto"));
  model_.CbAutoClick();
  ShowAutoTime();
}

void TNstr::OnCommand(int id, int code, HWND control) {
  if (code != BN_CLICKED) return;
  if (id == kIdApply) {
    Close(EModalResult::mr_OK);
    return;
  }
  // CbCheckUpInet shares CbAuto's click handler.
  if (control == by_name_.at("CbAuto") || control == by_name_.at("CbCheckUpInet")) CbAutoClick();
}

}  // namespace tlx::appwin
