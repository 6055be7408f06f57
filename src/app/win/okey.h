// TOKEY: the finish window, a text panel with the closing words and "Выход".
#pragma once
#include <memory>

#include "app/win/form.h"
#include "messages/win/zcontrols.h"

namespace tlx::appwin {

// The finish window's texts, the same in both languages: the first, then the wishes and the line
// that points to the maker's web site. Both are bold blue (the format block before each).
inline constexpr char kFinishFormat[] = "\x01" "FЖДFF0000" "\x01";
inline constexpr char kFinishText1[] = "Установка программного комплекса ТЛК 5   завершена.";
inline constexpr char kFinishText2[] =
    "# #" "\x01" "FЖДFF0000" "\x01" "Желаем Вам успешной работы  !  !  !# #"
    "Обновления и новости комплекса - на сайте www.tlk5-soft.com.ua";

class TOKEY : public Form {
 public:
  explicit TOKEY(HWND owner);

 protected:
  void OnCommand(int id, int code, HWND control) override;

 private:
  std::unique_ptr<win::TZText> z_text1_;
};

}  // namespace tlx::appwin
