// TFListErr: the list of the distribution volumes found missing or damaged, with "Выход".
#pragma once
#include <string>
#include <vector>

#include "app/win/form.h"

namespace tlx::appwin {

class TFListErr : public Form {
 public:
  // The list with `lines`, the first one selected.
  TFListErr(HWND owner, const std::vector<std::string>& lines);

 protected:
  void OnCommand(int id, int code, HWND control) override;
};

}  // namespace tlx::appwin
