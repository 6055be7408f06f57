#include "app/win/ins_var.h"

namespace tlx::appwin {
namespace {

constexpr int kWidth = 330;
constexpr int kHeight = 132;
constexpr int kPanelHeight = 44;

enum : int { kIdDefSet2 = 100, kIdDefSet3, kIdNext, kIdCancel };

}  // namespace

TInsVar::TInsVar(HWND owner, int32_t variant) : Form(L"TInsVar", kWidth, kHeight, owner) {
  win::CreateChild(hwnd(), L"BUTTON", L"Вид установки", WS_VISIBLE | BS_GROUPBOX, 0,
                   win::Bounds(10, 8, kWidth - 20, kHeight - kPanelHeight - 16), FormFont());
  def_set2_ = win::CreateChild(hwnd(), L"BUTTON", L"ТЛК + ДЦ", WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON,
                               kIdDefSet2, win::Bounds(28, 36, 120, 20), FormFont());
  def_set3_ = win::CreateChild(hwnd(), L"BUTTON", L"ТЛК + ДЦ + ПД", WS_VISIBLE | BS_AUTORADIOBUTTON, kIdDefSet3,
                               win::Bounds(kWidth / 2 + 10, 36, 130, 20), FormFont());
  SetChecked(variant == 0 ? def_set2_ : def_set3_, true);
  panel_ = std::make_unique<Panel>(hwnd(), win::Bounds(0, kHeight - kPanelHeight, kWidth, kPanelHeight),
                                   BDR_RAISEDOUTER | BDR_RAISEDINNER, ::GetSysColor(COLOR_BTNFACE));
  next_ = AddButton("Дальше", kIdNext, win::Bounds(12, 9, 110, 26), panel_->hwnd());
  StartGroup(next_);
  AddButton("Отказ от инсталляции", kIdCancel, win::Bounds(kWidth - 12 - 150, 9, 150, 26), panel_->hwnd());
}

std::optional<int32_t> TInsVar::Run() {
  if (ShowModal() != EModalResult::mr_OK) return std::nullopt;
  return IsChecked(def_set2_) ? 0 : 1;
}

void TInsVar::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return;
  if (id == kIdNext) Close(EModalResult::mr_OK);
  if (id == kIdCancel) Close(EModalResult::mr_Cancel);
}

}  // namespace tlx::appwin
