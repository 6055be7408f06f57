// TViewPrt: the protocol viewer the message dialog opens, showing the errors file or the
// inaccuracies file in a read-only text field, with "Неточности", "Ошибки" and "Выход".
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "app/win/form.h"
#include "messages/win/zcontrols.h"

namespace tlx::appwin {

class TViewPrt : public Form {
 public:
  TViewPrt(HWND owner, std::string war_file, std::string err_file);

  // The viewer for the message dialog's view button (installed with SetProtocolViewer).
  static void Open(HWND owner, const std::string& err_file, const std::string& war_file);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnCommand(int id, int code, HWND control) override;
  void FormShow() override;

 private:
  void ShowFile(const std::string& name);
  void Arrange();

  std::string war_file_;
  std::string err_file_;
  std::unique_ptr<Panel> bottom_;
  HWND l_txt_ = nullptr;
  std::unique_ptr<win::TZMLButton> k_war_, k_err_, button1_;
};

}  // namespace tlx::appwin
