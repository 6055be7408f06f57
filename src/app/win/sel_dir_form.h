// TSelDir: the drive-and-folder picker over its model: the folder list DirList, the drive list Drv,
// the free and required space, "Выбрать" and "Отказ".
#pragma once
#include <vector>

#include "app/dir_list.h"
#include "app/sel_dir.h"
#include "app/win/form.h"

namespace tlx::appwin {

class TSelDir : public Form {
 public:
  TSelDir(HWND owner, app::TSelDir& model);

 protected:
  void OnCommand(int id, int code, HWND control) override;
  void FormShow() override;

 private:
  // Shows the model: the drive selected in Drv, the folders of DirList, the space labels.
  void ShowModel();

  app::TSelDir& model_;
  std::vector<char> drives_;  // letters of the drive list, in its order
  std::vector<app::DirListLine> lines_;
  HWND dir_list_ = nullptr;
  HWND drv_ = nullptr;
  HWND l_free_ = nullptr;
  HWND l_req_ = nullptr;
};

}  // namespace tlx::appwin
