// The logical-file layer's own message catalogue and its small message box TBsMssg.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "messages/message_sink.h"

namespace tlx::messages {

// Language of the file layer's messages: 1 Russian (initially), 0 Ukrainian.
uint8_t FileMsgLang();
void SetFileMsgLang(uint8_t lang);

// Identifiers of the file-layer catalogue.
namespace fmsg {
inline constexpr uint32_t kExistsOverwrite = 1;
inline constexpr uint32_t kBadOpenMode = 50;
inline constexpr uint32_t kNoFileName = 51;
inline constexpr uint32_t kNotFound = 52;
inline constexpr uint32_t kClosedFile = 53;
inline constexpr uint32_t kReadPastEnd = 54;
inline constexpr uint32_t kCloseFailed = 55;
inline constexpr uint32_t kOpenFailed = 56;
inline constexpr uint32_t kNotOpenForWrite = 57;
inline constexpr uint32_t kReadInWriteMode = 58;
inline constexpr uint32_t kWriteInReadMode = 59;
inline constexpr uint32_t kSeekPastEnd = 60;
inline constexpr uint32_t kNoLineEnd = 61;
}  // namespace fmsg

// The catalogue text of `id` in `lang` (1 Russian, otherwise Ukrainian), "$" not yet filled. An
// unknown identifier gives "Отсутствует текст сообщения.#Номер =" + id (or its Ukrainian form).
std::string FileCatalogText(uint8_t lang, uint32_t id);

// Button identifiers of the box; each is also the button's modal result.
enum class EBsButton : uint8_t { ebb_Close = 0, ebb_No = 1, ebb_Yes = 2, ebb_View = 3 };

struct BsKindInfo {
  std::string_view title_ukr;
  std::string_view title_rus;
  std::array<std::optional<EBsButton>, 3> buttons;  // left to right
  uint32_t colour;                                  // 0x00BBGGRR
};
inline constexpr int kBsKindCount = 8;

// The box kinds 0..7 (information, warning, error, choice; 4..7 the same with a view button).
// nullptr for an unknown kind.
const BsKindInfo* BsKind(int kind);
// Caption of a box button in `lang` (1 Russian).
std::string_view BsButtonCaption(EBsButton button, uint8_t lang);

// Font of the box.
inline constexpr int kBsFontHeight = 8;
inline constexpr int kBsFontCharset = 204;
inline constexpr std::string_view kBsFontName = "Arial Cyr";

// One message of the file layer: filled with SetCatalogText or SetSystemText, shown once.
class TBsMssg {
 public:
  // Stores the language and the catalogue text of `id` with every "$" replaced by the file name.
  void SetCatalogText(uint8_t lang, uint32_t id, std::string_view file_name);
  // Stores the language and "Системное сообщения: #" + the system's text for `sys_code`
  // (Ukrainian prefix for lang 0); without a system text, the no-text message instead.
  void SetSystemText(uint8_t lang, uint32_t sys_code, std::string_view file_name);

  // Shows the box of `kind` through the current sink; returns 2 when the user chose yes, else 0.
  // An unknown kind shows nothing and returns 0.
  uint8_t ShowKind(int kind);
  void ShowError() { ShowKind(2); }
  bool AskYesNo() { return ShowKind(3) == 2; }

  uint8_t Lang() const { return lang_; }
  const std::optional<std::string>& Text() const { return text_; }

 private:
  uint8_t lang_ = 1;
  std::optional<std::string> text_;
};

}  // namespace tlx::messages
