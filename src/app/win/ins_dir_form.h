// TInsDir: the install-directory window over its model, the folder field, the free and required
// space, the shortcut name and the buttons "Обзор", "Дальше" and "Отказ от инсталляциии".
#pragma once
#include "app/ins_dir.h"
#include "app/win/form.h"

namespace tlx::appwin {

class TInsDir : public Form {
 public:
  // The window over `model`, which the wizard has filled and reads back after the window closed.
  TInsDir(HWND owner, app::TInsDir& model);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnCommand(int id, int code, HWND control) override;
  void FormShow() override;

 private:
  // Shows the model's folder text and space labels.
  void ShowModel();
  void Act(app::EInsDirClick click);

  app::TInsDir& model_;
  bool showing_ = false;  // the program sets the folder field: no change event
  HWND ed_file_ = nullptr;
  HWND ed_name_ = nullptr;
  HWND l_free_ = nullptr;
  HWND l_req_ = nullptr;
};

// A closed yellow folder and a shortcut arrow, as the step's small pictures.
void DrawFolderPicture(HDC dc, int left, int top);
void DrawShortcutPicture(HDC dc, int left, int top);

}  // namespace tlx::appwin
