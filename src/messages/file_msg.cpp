#include "messages/file_msg.h"

#include <algorithm>

#include "platform/error.h"

namespace tlx::messages {
namespace {

uint8_t g_file_msg_lang = 1;

struct CatalogEntry {
  uint32_t id;
  std::string_view rus;
  std::string_view ukr;
};

constexpr std::array<CatalogEntry, 13> kCatalog = {{
    {fmsg::kExistsOverwrite, "Файл $ уже существует. #Перекрывать ?",
     "Файл $ вже існує. #Перекривать ?"},
    {fmsg::kBadOpenMode, "Недопустимый режим открытия файла $",
     "Недопустимий режим відкриття файлу $"},
    {fmsg::kNoFileName, "Не задано имя файла ", "Не задано ім'я файлу "},
    {fmsg::kNotFound, "Не найден файл $", "Не знайдений файл $"},
    {fmsg::kClosedFile, "Попытка выполнения операции для закрытого файла ($)",
     "Спроба виконання операції для закритого файлу ($)"},
    {fmsg::kReadPastEnd, "Попытка чтения после конца файла ($)",
     "Спроба читання після кінця файлу ($)"},
    {fmsg::kCloseFailed, "Ошибка при закрытии файла ($)", "Помилка при закритті файлу ($)"},
    {fmsg::kOpenFailed, "Ошибка при открытии файла ($)", "Помилка при відкритті файлу ($)"},
    {fmsg::kNotOpenForWrite, "Файл не открыт для записи или дозаписи $",
     "Файл не відкритий для запису або дозапису $"},
    {fmsg::kReadInWriteMode, "Попытка чтения для режима записи (файл $)",
     "Спроба читання для режиму запису (файл $)"},
    {fmsg::kWriteInReadMode, "Попытка записи для режиме чтения (файл $)",
     "Спроба запису для режимі читання (файл $)"},
    {fmsg::kSeekPastEnd, "Попытка позиционирования за пределы файла $",
     "Спроба позиціювання за межі файлу $"},
    {fmsg::kNoLineEnd, "Отсутствует признак конца текстовой строки (файл $)",
     "Відсутня ознака кінця текстового рядка (файл $)"},
}};

using BB = EBsButton;

constexpr std::string_view kInfoUkr = "Інформація", kInfoRus = "Информация";
constexpr std::string_view kWarnUkr = "Попередження", kWarnRus = "Предупреждение";
constexpr std::string_view kErrorUkr = "Помилка", kErrorRus = "Ошибка";
constexpr std::string_view kChoiceUkr = "Вибір", kChoiceRus = "Выбор";

constexpr std::array<BsKindInfo, kBsKindCount> kBsKinds = {{
    {kInfoUkr, kInfoRus, {BB::ebb_Close, std::nullopt, std::nullopt}, 0x0080FF80},
    {kWarnUkr, kWarnRus, {BB::ebb_Close, std::nullopt, std::nullopt}, 0x0000FFFF},
    {kErrorUkr, kErrorRus, {BB::ebb_Close, std::nullopt, std::nullopt}, 0x008080FF},
    {kChoiceUkr, kChoiceRus, {BB::ebb_Yes, BB::ebb_No, std::nullopt}, 0x00FFFF80},
    {kInfoUkr, kInfoRus, {BB::ebb_Close, BB::ebb_View, std::nullopt}, 0x0080FF80},
    {kWarnUkr, kWarnRus, {BB::ebb_Close, BB::ebb_View, std::nullopt}, 0x0000FFFF},
    {kErrorUkr, kErrorRus, {BB::ebb_Close, BB::ebb_View, std::nullopt}, 0x008080FF},
    {kChoiceUkr, kChoiceRus, {BB::ebb_Yes, BB::ebb_View, BB::ebb_No}, 0x00FFFF80},
}};

struct ButtonCaption {
  std::string_view ukr;
  std::string_view rus;
};
// Indexed by EBsButton.
constexpr std::array<ButtonCaption, 4> kBsButtons = {{
    {"Закрити", "Закрыть"},
    {"Нi", "Нет"},
    {"Да", "Да"},
    {"Перегляд", "Просмотр"},
}};
static_assert(kBsButtons.size() == static_cast<std::size_t>(EBsButton::ebb_View) + 1);

EMsgButton ToMsgButton(EBsButton button) {
  switch (button) {
    case EBsButton::ebb_Close: return EMsgButton::emb_Close;
    case EBsButton::ebb_No: return EMsgButton::emb_No;
    case EBsButton::ebb_Yes: return EMsgButton::emb_Yes;
    case EBsButton::ebb_View: return EMsgButton::emb_View;
  }
  return EMsgButton::emb_None;
}

bool Russian(uint8_t lang) { return lang != 0; }

// Every occurrence of `what` in `text` replaced by `with`.
std::string ReplaceAll(std::string text, std::string_view what, std::string_view with) {
  for (std::size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

}  // namespace

uint8_t FileMsgLang() { return g_file_msg_lang; }
void SetFileMsgLang(uint8_t lang) { g_file_msg_lang = lang; }

std::string FileCatalogText(uint8_t lang, uint32_t id) {
  const auto it = std::find_if(kCatalog.begin(), kCatalog.end(),
                               [id](const CatalogEntry& e) { return e.id == id; });
  if (it != kCatalog.end()) return std::string(Russian(lang) ? it->rus : it->ukr);
  return std::string(Russian(lang) ? "Отсутствует текст сообщения.#Номер ="
                                   : "Відсутній текст повідомлення.#Номер =") +
         std::to_string(id);
}

const BsKindInfo* BsKind(int kind) {
  if (kind < 0 || kind >= kBsKindCount) return nullptr;
  return &kBsKinds[static_cast<std::size_t>(kind)];
}

std::string_view BsButtonCaption(EBsButton button, uint8_t lang) {
  const ButtonCaption& c = kBsButtons[static_cast<std::size_t>(button)];
  return Russian(lang) ? c.rus : c.ukr;
}

void TBsMssg::SetCatalogText(uint8_t lang, uint32_t id, std::string_view file_name) {
  lang_ = lang;
  text_ = ReplaceAll(FileCatalogText(lang, id), "$", file_name);
}

void TBsMssg::SetSystemText(uint8_t lang, uint32_t sys_code, std::string_view file_name) {
  lang_ = lang;
  std::string text(Russian(lang) ? "Системное сообщения: " : "Системное повідомлення: ");
  text += '#';
  const std::string system = platform::SystemMessage(sys_code);
  if (system.empty())
    text += Russian(lang) ? "Отсутствует текст системного сообщения."
                          : "Відсутній текст системного повідомлення.";
  else
    text += ReplaceAll(system, "%1", file_name);
  text_ = std::move(text);
}

uint8_t TBsMssg::ShowKind(int kind) {
  const BsKindInfo* info = BsKind(kind);
  if (info == nullptr) return 0;
  MessageRequest request;
  request.style = EMsgStyle::ems_FileBox;
  request.file_box_kind = static_cast<uint8_t>(kind);
  request.colour = info->colour;
  request.title = Russian(lang_) ? info->title_rus : info->title_ukr;
  request.text = text_.value_or(std::string());
  for (const auto& button : info->buttons)
    if (button) request.buttons.push_back(ToMsgButton(*button));
  request.default_button = request.buttons.front();
  const MessageAnswer answer = CurrentMessageSink().Show(request);
  return answer.button == EMsgButton::emb_Yes ? 2 : 0;
}

}  // namespace tlx::messages
