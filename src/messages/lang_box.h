// The language settings of the bilingual controls and TZLangBox, the holder of a control text that
// exists in Russian and Ukrainian: the control shows one language, the box keeps the other.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tlx::messages {

enum ELang : uint8_t { elg_Rus = 0, elg_Ukr = 1, elg_End = 2 };
enum ELgKnd : uint8_t { elgkd_Interface = 0, elgkd_Document = 1, elgkd_End = 2 };

// Process-wide languages of the controls (initially elg_Ukr): captions and hints follow
// InterfaceLang, texts of document-language boxes follow DocumentLang.
ELang InterfaceLang();
void SetInterfaceLang(ELang lang);
ELang DocumentLang();
void SetDocumentLang(ELang lang);

class TZLangBox;

// The owner's language-change event: `new_value` is the text about to be shown (the handler may
// replace it); setting `ignore` keeps the current language.
using OnLangChangeEvent =
    std::function<void(TZLangBox& sender, ELang lang, std::string& new_value, bool& ignore)>;

// What the boxes of one control share: the control's loading state and its OnLangChange event.
struct LangBoxOwner {
  bool loading = false;
  OnLangChangeEvent on_lang_change;
};

// The control property a box manages ("Caption" or "Hint"): the shown text lives only there.
struct TextProperty {
  std::function<std::string()> get;
  std::function<void(const std::string&)> set;
};

class TZLangBox {
 public:
  // The shown language starts as InterfaceLang. `owner` must outlive the box.
  TZLangBox(TextProperty property, LangBoxOwner* owner);

  ELang Lang() const { return lang_; }
  // Switches the shown language (elg_End counts as elg_Rus); raises OnLangChange first unless the
  // owner is loading, has no handler, or the one-shot flag is set (then it is cleared).
  void SetLang(ELang lang);
  ELgKnd LangKind() const { return kind_; }
  // Follows InterfaceLang or DocumentLang (elgkd_End counts as elgkd_Interface).
  void SetLangKind(ELgKnd kind);
  // LangKind is written to form files only while DocumentLang is not elg_Rus.
  static bool StoresLangKind() { return DocumentLang() != elg_Rus; }

  std::string LRus() const { return Read(elg_Rus); }
  std::string LUkr() const { return Read(elg_Ukr); }
  void SetLRus(const std::string& text) { Write(elg_Rus, text); }
  void SetLUkr(const std::string& text) { Write(elg_Ukr, text); }
  std::string CurText() const { return property_.get(); }
  void SetCurText(const std::string& text) { property_.set(text); }

  // The next language switch raises no event.
  void SuppressNextEvent() { suppress_next_ = true; }

  // Loading from a form file: the control's own text, then LRus and LUkr, then a stored LangKind.
  void Load(std::string_view control_text, const std::string& rus, const std::string& ukr,
            std::optional<ELgKnd> kind);

 private:
  std::string Read(ELang lang) const;
  void Write(ELang lang, const std::string& text);

  TextProperty property_;
  LangBoxOwner* owner_;
  ELang lang_;
  ELgKnd kind_ = elgkd_Interface;
  std::string reserved_;  // the text of the language not shown
  bool suppress_next_ = false;
};

}  // namespace tlx::messages
