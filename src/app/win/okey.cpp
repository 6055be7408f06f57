#include "app/win/okey.h"

#include <string>

namespace tlx::appwin {
namespace {

constexpr int kWidth = 506;
constexpr int kHeight = 227;
constexpr int kTextHeight = 158;

enum : int { kIdButton1 = 100 };

}  // namespace

TOKEY::TOKEY(HWND owner) : Form(L"TOKEY", kWidth, kHeight, owner) {
  z_text1_ = std::make_unique<win::TZText>(hwnd(), win::Bounds(4, 4, kWidth - 8, kTextHeight));
  messages::TZTextModel& text = z_text1_->model();
  text.border = true;
  for (int i : {1, 2}) {
    text.TextR(i) = i == 1 ? std::string(kFinishFormat) + kFinishText1 : kFinishText2;
    text.TextU(i) = text.TextR(i);
    text.SetHor(i, 1);
  }
  // Bold blue Arial, 19 pixels high.
  for (int i : {1, 2}) z_text1_->SetFont(i, L"Arial", -19);
  AddButton("Выход", kIdButton1, win::Bounds((kWidth - 110) / 2, kTextHeight + 20, 110, 30));
}

void TOKEY::OnCommand(int id, int code, HWND) {
  if (id == kIdButton1 && code == BN_CLICKED) Close(EModalResult::mr_Cancel);
}

}  // namespace tlx::appwin
