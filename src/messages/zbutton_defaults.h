// The 16 x 16 image numbers of the shared image list and the default texts of TZButton.
#pragma once
#include <array>
#include <cstdint>
#include <string_view>

namespace tlx::messages {

// Picture N of the shared 16 x 16 image list; eil16x16_End: no image.
enum EImgLs16x16 : uint8_t {
  eil16x16_OK = 0,
  eil16x16_Cancel = 1,
  eil16x16_Next = 2,
  eil16x16_Undo = 3,
  eil16x16_Redo = 4,
  eil16x16_Apply = 5,
  eil16x16_Skip = 6,
  eil16x16_Up = 7,
  eil16x16_Down = 8,
  eil16x16_Left = 9,
  eil16x16_Right = 10,
  eil16x16_Minus = 11,
  eil16x16_Minus2 = 12,
  eil16x16_Plus = 13,
  eil16x16_Calend = 14,
  eil16x16_Imp = 15,
  eil16x16_Exp = 16,
  eil16x16_Edit = 17,
  eil16x16_Erase = 18,
  eil16x16_Land = 19,
  eil16x16_Port = 20,
  eil16x16_Open = 21,
  eil16x16_Load = 22,
  eil16x16_Save = 23,
  eil16x16_Save2 = 24,
  eil16x16_Save3 = 25,
  eil16x16_ZoomOu = 26,
  eil16x16_ZoomIn = 27,
  eil16x16_Look = 28,
  eil16x16_Find = 29,
  eil16x16_Size = 30,
  eil16x16_Paste = 31,
  eil16x16_Copy = 32,
  eil16x16_Prn = 33,
  eil16x16_NoPrn = 34,
  eil16x16_PrnSet = 35,
  eil16x16_NewDoc = 36,
  eil16x16_DelDoc = 37,
  eil16x16_GoInDoc = 38,
  eil16x16_LookDoc = 39,
  eil16x16_LookAll = 40,
  eil16x16_Refresh = 41,
  eil16x16_Recalc = 42,
  eil16x16_Picture = 43,
  eil16x16_Home = 44,
  eil16x16_Calc = 45,
  eil16x16_InWin = 46,
  eil16x16_Reduce = 47,
  eil16x16_Grow = 48,
  eil16x16_RU = 49,
  eil16x16_UA = 50,
  eil16x16_ALeft = 51,
  eil16x16_ACntrV = 52,
  eil16x16_ARight = 53,
  eil16x16_ATop = 54,
  eil16x16_ACntrH = 55,
  eil16x16_ABottom = 56,
  eil16x16_SnglLne = 57,
  eil16x16_MltyLne = 58,
  eil16x16_Font = 59,
  eil16x16_SnowFl = 60,
  eil16x16_Doc1 = 61,
  eil16x16_DocMult = 62,
  eil16x16_MnuClps = 63,
  eil16x16_MnuExpd = 64,
  eil16x16_BufView = 65,
  eil16x16_CbUnch = 66,
  eil16x16_CbChkd = 67,
  eil16x16_CbGryd = 68,
  eil16x16_Trash = 69,
  eil16x16_LArrow = 70,
  eil16x16_RArrow = 71,
  eil16x16_UArrow = 72,
  eil16x16_DArrow = 73,
  eil16x16_ClpsAll = 74,
  eil16x16_LookFnd = 75,
  eil16x16_FndNext = 76,
  eil16x16_FndPrev = 77,
  eil16x16_BigLeft = 78,
  eil16x16_BigRght = 79,
  eil16x16_Gear = 80,
  eil16x16_Prev = 81,
  eil16x16_FdClsW = 82,
  eil16x16_FdOpnW = 83,
  eil16x16_FdClsB = 84,
  eil16x16_FdOpnV = 85,
  eil16x16_SaveRTF = 86,
  eil16x16_SaveXLS = 87,
  eil16x16_BoldSym = 88,
  eil16x16_ItalSym = 89,
  eil16x16_UndlSym = 90,
  eil16x16_Locked = 91,
  eil16x16_UnLckd = 92,
  eil16x16_LineBtm = 93,
  eil16x16_LineTop = 94,
  eil16x16_LineLft = 95,
  eil16x16_LineRht = 96,
  eil16x16_LineNne = 97,
  eil16x16_LineAll = 98,
  eil16x16_LineOut = 99,
  eil16x16_End = 100,
};

// Default texts (captions and image) of a TZButton.
enum EZBtnPDT : uint8_t {
  EZBtnPDT_None = 0,
  EZBtnPDT_OK = 1,
  EZBtnPDT_Save = 2,
  EZBtnPDT_Cancel = 3,
  EZBtnPDT_NotSave = 4,
  EZBtnPDT_Close = 5,
  EZBtnPDT_Yes = 6,
  EZBtnPDT_No = 7,
  EZBtnPDT_Apply = 8,
  EZBtnPDT_Next = 9,
  EZBtnPDT_Skip = 10,
  EZBtnPDT_Retry = 11,
  EZBtnPDT_Ignore = 12,
  EZBtnPDT_Preview = 13,
  EZBtnPDT_ZoomIn = 14,
  EZBtnPDT_ZoomOut = 15,
  EZBtnPDT_Reset = 16,
  EZBtnPDT_Up = 17,
  EZBtnPDT_Down = 18,
  EZBtnPDT_Left = 19,
  EZBtnPDT_Right = 20,
  EZBtnPDT_File = 21,
  EZBtnPDT_Fresh = 22,
  EZBtnPDT_Undo = 23,
  EZBtnPDT_Tune = 24,
  EZBtnPDT_Back = 25,
  EZBtnPDT_End = 26,
};

struct ZBtnDefault {
  std::string_view ukr;
  std::string_view rus;
  EImgLs16x16 image;
};

inline constexpr std::array<ZBtnDefault, EZBtnPDT_End> kZBtnDefaults = {{
    {"", "", eil16x16_End},  // EZBtnPDT_None
    {"ОК", "ОК", eil16x16_OK},  // EZBtnPDT_OK
    {"Зберегти", "Сохранить", eil16x16_OK},  // EZBtnPDT_Save
    {"Вiдмiна", "Отмена", eil16x16_Cancel},  // EZBtnPDT_Cancel
    {"Не зберігати", "Не сохранять", eil16x16_Cancel},  // EZBtnPDT_NotSave
    {"Закрити", "Закрыть", eil16x16_Cancel},  // EZBtnPDT_Close
    {"Так", "Да", eil16x16_OK},  // EZBtnPDT_Yes
    {"Нi", "Нет", eil16x16_Cancel},  // EZBtnPDT_No
    {"Застосувати", "Применить", eil16x16_Apply},  // EZBtnPDT_Apply
    {"Далi", "Дальше", eil16x16_Next},  // EZBtnPDT_Next
    {"Пропуск", "Пропуск", eil16x16_Skip},  // EZBtnPDT_Skip
    {"Повтор", "Повтор", eil16x16_Apply},  // EZBtnPDT_Retry
    {"Iгнорувати", "Игнорировать", eil16x16_Skip},  // EZBtnPDT_Ignore
    {"Перегляд", "Просмотр", eil16x16_Look},  // EZBtnPDT_Preview
    {"Збiльшити", "Увеличить", eil16x16_ZoomIn},  // EZBtnPDT_ZoomIn
    {"Зменьшити", "Уменьшить", eil16x16_ZoomOu},  // EZBtnPDT_ZoomOut
    {"Скинути", "Сброс", eil16x16_Cancel},  // EZBtnPDT_Reset
    {"Вгору", "Вверх", eil16x16_Up},  // EZBtnPDT_Up
    {"Униз", "Вниз", eil16x16_Down},  // EZBtnPDT_Down
    {"Влiво", "Влево", eil16x16_Left},  // EZBtnPDT_Left
    {"Вправо", "Вправо", eil16x16_Right},  // EZBtnPDT_Right
    {"Зберегти", "Сохранить", eil16x16_Save},  // EZBtnPDT_File
    {"Відновити", "Обновить", eil16x16_Refresh},  // EZBtnPDT_Fresh
    {"Вiдмiна", "Отмена", eil16x16_Undo},  // EZBtnPDT_Undo
    {"Налаштування", "Настройка", eil16x16_Gear},  // EZBtnPDT_Tune
    {"Назад", "Назад", eil16x16_Prev},  // EZBtnPDT_Back
}};
static_assert(kZBtnDefaults.size() == EZBtnPDT_End);
static_assert(kZBtnDefaults[EZBtnPDT_Back].image == eil16x16_Prev);

}  // namespace tlx::messages
