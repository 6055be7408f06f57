#include "app/win/ins_dir_form.h"

#include "app/win/sel_dir_form.h"

namespace tlx::appwin {
namespace {

constexpr int kWidth = 440;
constexpr int kHeight = 250;

enum : int { kIdEdFile = 100, kIdKView, kIdEdName, kIdKNext, kIdKExit };

}  // namespace

TInsDir::TInsDir(HWND owner, app::TInsDir& model) : Form(L"TInsDir", kWidth, kHeight, owner), model_(model) {
  AddLabel("Основная директория  установки программного комплекса", win::Bounds(16, 14, kWidth - 32, 16));
  ed_file_ = AddEdit(model_.EdFile, kIdEdFile, win::Bounds(56, 40, kWidth - 56 - 110, 22));
  AddButton("Обзор", kIdKView, win::Bounds(kWidth - 100, 38, 84, 26));
  l_free_ = AddLabel("9999,9 Мб", win::Bounds(56, 72, kWidth - 72, 16));
  l_req_ = AddLabel("190,7 Мб", win::Bounds(56, 92, kWidth - 72, 16));
  AddLine(win::Bounds(10, 118, kWidth - 20, 2));
  AddLabel("Наименование для ярлыка на рабочем столе", win::Bounds(16, 128, kWidth - 32, 16));
  ed_name_ = AddEdit(model_.EdName, kIdEdName, win::Bounds(56, 152, kWidth - 72, 22));
  AddLine(win::Bounds(10, 188, kWidth - 20, 2));
  AddButton("Дальше", kIdKNext, win::Bounds(16, 204, 120, 28));
  AddButton("Отказ от инсталляциии", kIdKExit, win::Bounds(kWidth - 16 - 170, 204, 170, 28));
  // /NOSHORTCUT: no shortcut is placed, so its name is not asked for.
  ::EnableWindow(ed_name_, model_.NoShortcut ? FALSE : TRUE);
  ShowModel();
}

void TInsDir::ShowModel() {
  showing_ = true;
  if (ControlText(ed_file_) != model_.EdFile) SetControlText(ed_file_, model_.EdFile);
  if (ControlText(ed_name_) != model_.EdName) SetControlText(ed_name_, model_.EdName);
  SetControlText(l_free_, model_.LFree);
  SetControlText(l_req_, model_.LReq);
  showing_ = false;
}

void TInsDir::FormShow() {
  model_.FormShow();
  ShowModel();
  ::SetFocus(ed_file_);
  ::SendMessageW(ed_file_, EM_SETSEL, 0, -1);
}

void TInsDir::Act(app::EInsDirClick click) {
  ShowModel();
  if (click == app::EInsDirClick::eidc_FocusFolder) ::SetFocus(ed_file_);
  if (click == app::EInsDirClick::eidc_FocusName) ::SetFocus(ed_name_);
  if (click == app::EInsDirClick::eidc_CloseOk) Close(EModalResult::mr_OK);
}

LRESULT TInsDir::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    win::PaintScope paint(hwnd());
    HDC dc = paint.dc();
    DrawFolderPicture(dc, 20, 41);
    DrawShortcutPicture(dc, 20, 153);
    return 0;
  }
  return Form::HandleMessage(message, wparam, lparam);
}

void TInsDir::OnCommand(int id, int code, HWND) {
  if (id == kIdEdFile && code == EN_CHANGE && !showing_) {
    model_.SetFolderText(ControlText(ed_file_));
    SetControlText(l_free_, model_.LFree);
    SetControlText(l_req_, model_.LReq);
    return;
  }
  if (id == kIdEdName && code == EN_CHANGE) {
    model_.EdName = ControlText(ed_name_);  // taken as typed, empty or not
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case kIdKNext:
      Act(model_.KNextClick());
      break;
    case kIdKView:
      Act(model_.KViewClick([this](app::TSelDir& picker) {
        return TSelDir(hwnd(), picker).ShowModal() == EModalResult::mr_OK;
      }));
      break;
    case kIdKExit:
      Close(EModalResult::mr_Cancel);
      break;
  }
}

void DrawFolderPicture(HDC dc, int left, int top) {
  win::UniqueBrush body(::CreateSolidBrush(RGB(240, 200, 60)));
  win::UniquePen edge(::CreatePen(PS_SOLID, 1, RGB(150, 110, 0)));
  win::SelectObjectScope b(dc, body.get());
  win::SelectObjectScope p(dc, edge.get());
  POINT tab[4] = {{left + 1, top + 4}, {left + 10, top + 4}, {left + 13, top + 7}, {left + 1, top + 7}};
  ::Polygon(dc, tab, 4);
  ::Rectangle(dc, left + 1, top + 7, left + 27, top + 22);
}

void DrawShortcutPicture(HDC dc, int left, int top) {
  win::UniqueBrush paper(::CreateSolidBrush(RGB(255, 255, 255)));
  win::UniquePen edge(::CreatePen(PS_SOLID, 1, RGB(90, 90, 90)));
  win::UniquePen arrow(::CreatePen(PS_SOLID, 2, RGB(0, 0, 200)));
  win::SelectObjectScope b(dc, paper.get());
  win::SelectObjectScope p(dc, edge.get());
  ::Rectangle(dc, left + 4, top, left + 24, top + 22);
  win::SelectObjectScope a(dc, arrow.get());
  ::MoveToEx(dc, left + 8, top + 18, nullptr);
  ::LineTo(dc, left + 19, top + 6);
  ::MoveToEx(dc, left + 12, top + 6, nullptr);
  ::LineTo(dc, left + 19, top + 6);
  ::LineTo(dc, left + 19, top + 13);
}

}  // namespace tlx::appwin
