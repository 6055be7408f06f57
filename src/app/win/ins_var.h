// TInsVar: the variant window of the wizard, "ТЛК + ДЦ" or "ТЛК + ДЦ + ПД".
#pragma once
#include <cstdint>
#include <memory>
#include <optional>

#include "app/win/form.h"

namespace tlx::appwin {

class TInsVar : public Form {
 public:
  // The window with `variant` (0: DefSet2, else DefSet3) checked.
  TInsVar(HWND owner, int32_t variant);
  // Shows the window modally: 0 (DefSet2) or 1 (DefSet3) after "Дальше", nullopt otherwise.
  std::optional<int32_t> Run();

 protected:
  void OnCommand(int id, int code, HWND control) override;

 private:
  std::unique_ptr<Panel> panel_;
  HWND def_set2_ = nullptr;
  HWND def_set3_ = nullptr;
  HWND next_ = nullptr;
};

}  // namespace tlx::appwin
