#include "store/settings_window.h"

namespace tlx::store {

const std::array<SettingsCaption, 26> kSettingsCaptions = {{
    {"ZText1", "Настройка", "Настройка"},
    {"ZGroupBox1", "Интерфейс", "Интерфейс"},
    {"ZGroupBox2", "Язык интерфейса", "Язык интерфейса"},
    {"RILang", "Русский язык", "Русский язык"},
    {"UILang", "Украинский язык", "Украинский язык"},
    {"ZGroupBox3", "Списки строек с выходными документами", "Списки строек с выходными документами"},
    {"RDLang", "Русский язык", "На русском языке ( ТЛК-5 рус.)"},
    {"UDLang", "Украинский язык", "На украинском языке ( ТЛК-5 укр.) "},
    {"ZGS", "Масштабирование", "Масштабирование"},
    {"YesScale", "Включить", "Включить"},
    {"NoScale", "Выключить", "Выключить"},
    {"ZGroupBox4", "Автоматический выбор рег. номера", "Автоматический выбор рег. номера"},
    {"SelNumMax", "Максимальный + 1", "Максимальний + 1"},
    {"SelNumFree", "Первый свободный", "Первый свободный"},
    {"CBNsi", "Добавлять наименование к поисковому образу при просмотре НСИ",
     "Додати найменування  до пошукового образу при перегляді НДІ"},
    {"CBCross", "Единая нумерация строек для всех подсистем", "Единая нумерация строек для всех подсистем"},
    {"CBStk", "Выполнение преобразования норм ДБН->ДСТУ при вводе строек или КП",
     "Выполнение преобразования норм ДБН->ДСТУ при вводе строек или КП"},
    {"CbAuto", "Автоматическое сохранение строек", "Автоматичне зберігання будов"},
    {"AutoLb", "периодичность (часы:минуты)", "періодичність (години:хвилини)"},
    {"CbCheckUpInet", "Автоматическая проверка наличия обновления в сети Интернет",
     "Автоматична перевірка наявності оновлення в мережі Інтернет"},
    {"CbHeaderBld", "Отображать список строек с заголовками", "Відображати список будов із заголовками"},
    {"CbHeaderKp", "Отображать список КП с заголовками", "Відображати список КП із заголовками"},
    {"CbRestoreNsiInLS", "Сброс информации о предыдущем сеансе обращения к НСИ из ЛС",
     "Скидання інформації про попередній сеанс звернення до НСИ з ЛК"},
    {"CbHintForPos", "Отображать в экране локальной сметы примечание позиции в виде всплывающей строки",
     "Відображати в екрані локального кошторису примітку позиції у вигляді рядка, що спливає"},
    {"ZLabel1", "Задание по умолчанию масштаба для просмотра документов",
     "Задание по умолчанию масштаба для просмотра документов"},
    {"ZMLButton1", "Применить", "Применить"},
}};

TNstr::TNstr(int screen_width, int screen_height)
    : zgs_visible_(!(screen_width == 800 && screen_height == 600)) {}

void TNstr::CbAutoClick() { auto_visible_ = CbAuto; }

const std::array<SettingsChoice, 13> kSettingsChoices = {{
    {"RILang", &TNstr::RILang},
    {"RDLang", &TNstr::RDLang},
    {"YesScale", &TNstr::YesScale},
    {"SelNumFree", &TNstr::SelNumFree},
    {"CBNsi", &TNstr::CBNsi},
    {"CBCross", &TNstr::CBCross},
    {"CBStk", &TNstr::CBStk},
    {"CbAuto", &TNstr::CbAuto},
    {"CbCheckUpInet", &TNstr::CbCheckUpInet},
    {"CbHeaderBld", &TNstr::CbHeaderBld},
    {"CbHeaderKp", &TNstr::CbHeaderKp},
    {"CbRestoreNsiInLS", &TNstr::CbRestoreNsiInLS},
    {"CbHintForPos", &TNstr::CbHintForPos},
}};

void TNstr::TakeChoices(const TNstr& answers) {
  for (const SettingsChoice& choice : kSettingsChoices) this->*choice.field = answers.*choice.field;
  AutoDtTm = answers.AutoDtTm;
  PickScale(answers.Scale);
  CbAutoClick();
}

void TNstr::PickScale(int index) {
  if (index >= 0 && index < static_cast<int>(kScaleItems.size())) Scale = index;
}

}  // namespace tlx::store
