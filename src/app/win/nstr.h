// TNstr: the settings window over the settings model: languages, scaling, numbering, the option
// check boxes, automatic saving with its time, the default scale and "Применить".
#pragma once
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "app/win/form.h"
#include "messages/win/zcontrols.h"
#include "store/settings_window.h"

namespace tlx::appwin {

class TNstr : public Form {
 public:
  TNstr(HWND owner, store::TNstr& model);
  // Shows the window modally and leaves the user's choices in the model, however it was closed.
  void Run();

 protected:
  void OnCommand(int id, int code, HWND control) override;

 private:
  // A bilingual control with the captions of `name`.
  template <typename Control>
  Control& Add(std::string_view name, int id, RECT bounds, HWND parent = nullptr);
  void ShowModel();
  void ReadControls();
  void CbAutoClick();
  // AutoDtTm and AutoLb as the model has them.
  void ShowAutoTime();

  store::TNstr& model_;
  std::vector<std::unique_ptr<win::ZSystemControl>> controls_;
  std::map<std::string_view, HWND> by_name_;
  std::unique_ptr<win::TZText> z_text1_;
  HWND auto_dt_tm_ = nullptr;
  HWND scale_ = nullptr;
};

}  // namespace tlx::appwin
