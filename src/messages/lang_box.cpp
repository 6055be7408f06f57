#include "messages/lang_box.h"

#include <utility>

namespace tlx::messages {
namespace {
ELang g_interface_lang = elg_Ukr;
ELang g_document_lang = elg_Ukr;
}  // namespace

ELang InterfaceLang() { return g_interface_lang; }
void SetInterfaceLang(ELang lang) { g_interface_lang = lang; }
ELang DocumentLang() { return g_document_lang; }
void SetDocumentLang(ELang lang) { g_document_lang = lang; }

TZLangBox::TZLangBox(TextProperty property, LangBoxOwner* owner)
    : property_(std::move(property)), owner_(owner), lang_(InterfaceLang() == elg_Ukr ? elg_Ukr : elg_Rus) {}

std::string TZLangBox::Read(ELang lang) const { return lang == lang_ ? property_.get() : reserved_; }

void TZLangBox::Write(ELang lang, const std::string& text) {
  if (lang == lang_) {
    property_.set(text);
  } else {
    reserved_ = text;
  }
}

void TZLangBox::SetLang(ELang lang) {
  if (lang != elg_Ukr) lang = elg_Rus;
  if (lang == lang_) return;
  bool ignore = false;
  if (owner_ != nullptr && !owner_->loading && owner_->on_lang_change) {
    if (suppress_next_) {
      suppress_next_ = false;
    } else {
      owner_->on_lang_change(*this, lang, reserved_, ignore);
    }
  }
  if (ignore) return;
  lang_ = lang;
  std::string shown = property_.get();
  property_.set(reserved_);
  reserved_ = std::move(shown);
}

void TZLangBox::SetLangKind(ELgKnd kind) {
  if (kind != elgkd_Document) kind = elgkd_Interface;
  if (kind == kind_) return;
  kind_ = kind;
  SetLang(kind == elgkd_Document ? DocumentLang() : InterfaceLang());
}

void TZLangBox::Load(std::string_view control_text, const std::string& rus, const std::string& ukr,
                     std::optional<ELgKnd> kind) {
  const bool was_loading = owner_ != nullptr && owner_->loading;
  if (owner_ != nullptr) owner_->loading = true;
  lang_ = InterfaceLang() == elg_Ukr ? elg_Ukr : elg_Rus;
  property_.set(std::string(control_text));
  SetLRus(rus);
  SetLUkr(ukr);
  if (kind) SetLangKind(*kind);
  if (owner_ != nullptr) owner_->loading = was_loading;
}

}  // namespace tlx::messages
