// The settings window's model (TNstr): the suite's first preferences as the user sets them before
// the configuration file is written. The window shows these fields and forwards its clicks here.
#pragma once
#include <array>
#include <cstdint>
#include <string_view>

namespace tlx::store {

// Items of the scale list, in the order of the stored index 0..4.
inline constexpr std::array<std::string_view, 5> kScaleItems = {"  50 %", "  75 %", "100 %", "125 %",
                                                                "150 %"};
inline constexpr int kDefaultScaleItem = 2;
// The automatic saving period the window opens with: 00:10, as a day fraction.
inline constexpr double kDefaultAutoSaveTime = 10.0 / (24.0 * 60.0);

// One control's captions: Russian and Ukrainian (the same text when they do not differ).
struct SettingsCaption {
  std::string_view control;
  std::string_view rus;
  std::string_view ukr;
};
// Every captioned control of the settings window, in the window's order.
extern const std::array<SettingsCaption, 26> kSettingsCaptions;
// The time picker's display format.
inline constexpr std::string_view kAutoTimeFormat = "HH:mm";

class TNstr {
 public:
  // The window as it opens on a screen of `screen_width` x `screen_height` pixels: the defaults
  // below, and the scaling group hidden on an 800 x 600 screen.
  TNstr(int screen_width, int screen_height);

  // Radio pairs: true for the first-named choice.
  bool RILang = false;     // interface language Russian (else UILang, Ukrainian)
  bool RDLang = false;     // document language Russian (else UDLang)
  bool YesScale = true;    // scaling on (else NoScale)
  bool SelNumFree = false; // first free number (else SelNumMax, maximum + 1)
  // Check boxes.
  bool CBNsi = false;
  bool CBCross = false;
  bool CBStk = false;
  bool CbAuto = true;
  bool CbCheckUpInet = false;
  bool CbHeaderBld = false;
  bool CbHeaderKp = false;
  bool CbRestoreNsiInLS = false;
  bool CbHintForPos = false;
  // The time picker's date-time value (day count since 1899-12-30, time as the fraction).
  double AutoDtTm = kDefaultAutoSaveTime;
  // Index of the item chosen in Scale (0..4).
  int Scale = kDefaultScaleItem;

  // Visibility the window follows.
  bool ZGSVisible() const { return zgs_visible_; }
  bool AutoVisible() const { return auto_visible_; }  // AutoDtTm and AutoLb

  // Click on CbAuto (and on CbCheckUpInet, which shares the handler): the automatic saving time and
  // its label are shown exactly when CbAuto is checked.
  void CbAutoClick();
  // A key typed into Scale: always discarded, so the scale is picked only from the list.
  static bool ScaleTakesKey() { return false; }
  // Picks item `index` of Scale; other indexes are ignored.
  void PickScale(int index);
  // Takes the choices of `answers` (radio buttons, check boxes, time, scale), keeping what this
  // window's screen decides; the time picker follows CbAuto.
  void TakeChoices(const TNstr& answers);

 private:
  bool zgs_visible_ = true;
  bool auto_visible_ = true;
};

// The window's on/off choices by control name: the first radio button of each pair (true when it
// is chosen) and the check boxes. The settings window and the answer file both go by this table.
struct SettingsChoice {
  std::string_view control;
  bool TNstr::*field;
};
extern const std::array<SettingsChoice, 13> kSettingsChoices;

}  // namespace tlx::store
