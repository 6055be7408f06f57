#include "app/win/sel_dir_form.h"

#include "platform/drives.h"

namespace tlx::appwin {
namespace {

constexpr int kWidth = 360;
constexpr int kHeight = 330;

enum : int { kIdDirList = 100, kIdDrv, kIdSelect, kIdCancel };

}  // namespace

TSelDir::TSelDir(HWND owner, app::TSelDir& model) : Form(L"TSelDir", kWidth, kHeight, owner), model_(model) {
  dir_list_ = win::CreateChild(hwnd(), L"LISTBOX", L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                               kIdDirList, win::Bounds(12, 12, kWidth - 24, 190), FormFont(), WS_EX_CLIENTEDGE);
  drv_ = win::CreateChild(hwnd(), L"COMBOBOX", L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kIdDrv,
                          win::Bounds(12, 212, 90, 200), FormFont());
  const uint32_t present = platform::LogicalDrives();
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    if ((present & (1u << (letter - 'a'))) == 0) continue;
    drives_.push_back(letter);
    std::wstring text = win::Wide(std::string(1, letter) + ":");
    ::SendMessageW(drv_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  l_free_ = AddLabel("9999,9 Мб", win::Bounds(112, 210, kWidth - 124, 30), nullptr, SS_LEFT);
  l_req_ = AddLabel("190,7 Мб", win::Bounds(112, 242, kWidth - 124, 30), nullptr, SS_LEFT);
  AddLine(win::Bounds(10, 278, kWidth - 20, 2));
  AddButton("Выбрать", kIdSelect, win::Bounds(16, 290, 110, 28));
  AddButton("Отказ", kIdCancel, win::Bounds(kWidth - 16 - 110, 290, 110, 28));
  ShowModel();
}

void TSelDir::ShowModel() {
  for (size_t i = 0; i < drives_.size(); ++i) {
    if (drives_[i] == (model_.Drv | 0x20)) ::SendMessageW(drv_, CB_SETCURSEL, i, 0);
  }
  lines_ = app::DirListLines(model_.DirList, app::ChildFolders(model_.DirList));
  ::SendMessageW(dir_list_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(dir_list_, LB_RESETCONTENT, 0, 0);
  size_t open = 0;
  for (size_t i = 0; i < lines_.size(); ++i) {
    std::wstring text(static_cast<size_t>(lines_[i].indent) * 3, L' ');
    text += win::Wide(lines_[i].text);
    ::SendMessageW(dir_list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (lines_[i].folder.size() <= model_.DirList.size() + 1 &&
        model_.DirList.compare(0, lines_[i].folder.size(), lines_[i].folder) == 0)
      open = i;
  }
  ::SendMessageW(dir_list_, LB_SETCURSEL, open, 0);
  ::SendMessageW(dir_list_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(dir_list_, nullptr, TRUE);
  SetControlText(l_free_, model_.LFree);
  SetControlText(l_req_, model_.LReq);
}

void TSelDir::FormShow() {
  model_.FormShow();
  ShowModel();
  ::SetFocus(dir_list_);
}

void TSelDir::OnCommand(int id, int code, HWND) {
  if (id == kIdDrv && code == CBN_SELCHANGE) {
    const LRESULT index = ::SendMessageW(drv_, CB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<size_t>(index) >= drives_.size()) return;
    model_.DrvClick();
    model_.DrvChange(drives_[static_cast<size_t>(index)]);
    ShowModel();
    return;
  }
  if (id == kIdDirList && code == LBN_DBLCLK) {
    const LRESULT index = ::SendMessageW(dir_list_, LB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<size_t>(index) >= lines_.size()) return;
    model_.OpenFolder(lines_[static_cast<size_t>(index)].folder);
    ShowModel();
    return;
  }
  if (code != BN_CLICKED) return;
  if (id == kIdSelect) Close(EModalResult::mr_OK);
  if (id == kIdCancel) Close(EModalResult::mr_Cancel);
}

}  // namespace tlx::appwin
