// TZBtnPanel without its window: the buttons its Kind asks for, the layout of its controls on
// resize, the smallest width it accepts, and the close query it answers for its form.
#pragma once
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "messages/dialog_model.h"
#include "messages/zbutton_defaults.h"

namespace tlx::messages {

enum EZBtnPanKind : uint8_t { EZBtnPan_SaveN = 0, EZBtnPan_SaveY = 1, EZBtnPan_Fresh = 2, EZBtnPan_Apply = 3 };
// A set of EZBtnPanKind (bit 1 << kind).
using ZBtnPanKinds = uint8_t;
constexpr ZBtnPanKinds PanKinds(std::initializer_list<EZBtnPanKind> kinds) {
  ZBtnPanKinds set = 0;
  for (EZBtnPanKind k : kinds) set |= static_cast<ZBtnPanKinds>(1u << k);
  return set;
}

inline constexpr int kZBtnPanelHeight = 43;
inline constexpr int kZBtnPanelButtonHeight = 25;
inline constexpr int kZBtnPanelButtonTop = 9;

// A control on the panel (its buttons, or anything a form put there).
struct PanelControl {
  EZBtnPanKind kind = EZBtnPan_SaveN;  // meaningful for the panel's own buttons
  bool own = false;                    // one of the panel's buttons
  EZBtnPDT def_text = EZBtnPDT_None;
  int modal_result = 0;
  int tab_order = -1;                  // -1: creation order
  DlgRect rect;
};

// The events of the panel; unassigned checks agree.
struct ZBtnPanelEvents {
  std::function<void()> on_init_data;
  std::function<void()> on_load_data;
  std::function<bool()> on_check_data;
  std::function<bool()> on_check_change;
  std::function<void()> on_save_data;
  std::function<bool()> on_out_sel;  // asks whether to save; true: yes
};

// What the panel asks of its form.
struct PanelForm {
  int modal_result = 0;
  bool modal = true;
  bool close_requested = false;               // Close() on a form that is not modal
  std::function<bool()> previous_close_query;  // the form's handler before the panel's
};

class TZBtnPanelModel {
 public:
  explicit TZBtnPanelModel(int width = 0);

  ZBtnPanKinds Kind() const { return kind_; }
  // Creates and removes the panel's buttons; grows the panel to the width they need.
  void SetKind(ZBtnPanKinds kind);
  int width() const { return width_; }
  // A width below the minimum is refused (false).
  bool SetWidth(int width);
  int MinWidth() const;

  std::vector<PanelControl>& controls() { return controls_; }
  const PanelControl* Button(EZBtnPanKind kind) const;
  // Places the controls: one centred, two at 8 from the edges, more at equal gaps from 8.
  void Layout();
  // Widens each of the panel's own buttons whose face cannot hold its default caption (the wider
  // of its two languages, so switching language never cuts it) beside its image; `caption_width`
  // measures a caption in the buttons' font. Buttons never get narrower than designed; the panel
  // grows to the width they then need and lays them out again.
  void FitCaptions(const std::function<int(std::string_view)>& caption_width);

  ZBtnPanelEvents events;
  void SetChanged(bool changed) { changed_ = changed; }
  bool changed() const { return changed_; }
  bool saved() const { return saved_; }
  // Raises OnInitData the first time only.
  void InitData();
  // A click on a panel button.
  void Click(EZBtnPanKind kind, PanelForm& form);
  // The form's close query; true lets it close.
  bool CloseQuery(PanelForm& form);

 private:
  bool Check() const { return !events.on_check_data || events.on_check_data(); }
  void Save();

  int width_;
  ZBtnPanKinds kind_ = 0;
  std::vector<PanelControl> controls_;
  bool changed_ = false;
  bool saved_ = false;
  bool closed_by_button_ = false;
  bool initialised_ = false;
};

}  // namespace tlx::messages
