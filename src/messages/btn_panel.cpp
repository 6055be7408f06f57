#include "messages/btn_panel.h"

#include <algorithm>
#include <numeric>

#include "messages/msg_wrappers.h"
#include "messages/zbutton.h"

namespace tlx::messages {

TZBtnPanelModel::TZBtnPanelModel(int width) : width_(width) {
  SetKind(PanKinds({EZBtnPan_SaveN, EZBtnPan_SaveY}));
}

const PanelControl* TZBtnPanelModel::Button(EZBtnPanKind kind) const {
  for (const PanelControl& c : controls_) {
    if (c.own && c.kind == kind) return &c;
  }
  return nullptr;
}

int TZBtnPanelModel::MinWidth() const {
  int sum = 0;
  for (const PanelControl& c : controls_) sum += c.rect.width;
  return sum + 2 * static_cast<int>(controls_.size()) + 16;
}

void TZBtnPanelModel::SetKind(ZBtnPanKinds kind) {
  kind_ = kind;
  for (EZBtnPanKind k : {EZBtnPan_SaveY, EZBtnPan_SaveN, EZBtnPan_Fresh, EZBtnPan_Apply}) {
    const bool wanted = (kind & (1u << k)) != 0;
    const PanelControl* have = Button(k);
    if (!wanted && have != nullptr) {
      controls_.erase(controls_.begin() + (have - controls_.data()));
    } else if (wanted && have == nullptr) {
      PanelControl c;
      c.kind = k;
      c.own = true;
      c.rect.top = kZBtnPanelButtonTop;
      c.rect.height = kZBtnPanelButtonHeight;
      switch (k) {
        case EZBtnPan_SaveY: c.def_text = EZBtnPDT_Save; c.rect.width = 86; c.modal_result = 1; break;
        case EZBtnPan_SaveN: c.def_text = EZBtnPDT_NotSave; c.rect.width = 96; c.modal_result = 2; break;
        case EZBtnPan_Fresh: c.def_text = EZBtnPDT_Fresh; c.rect.width = 96; break;
        case EZBtnPan_Apply: c.def_text = EZBtnPDT_Apply; c.rect.width = 96; c.tab_order = 1; break;
      }
      c.rect.left = -1;  // placed below, once the width is known
      controls_.push_back(c);
    }
  }
  width_ = std::max(width_, MinWidth());
  for (PanelControl& c : controls_) {
    if (!c.own || c.rect.left != -1) continue;
    c.rect.left = c.kind == EZBtnPan_SaveY   ? 1
                  : c.kind == EZBtnPan_SaveN ? width_ - 104
                  : c.kind == EZBtnPan_Fresh ? 9
                                             : width_ - 105;
  }
  Layout();
}

bool TZBtnPanelModel::SetWidth(int width) {
  if (width < MinWidth()) return false;
  width_ = width;
  Layout();
  return true;
}

void TZBtnPanelModel::Layout() {
  if (controls_.empty()) return;
  std::vector<PanelControl*> order;
  for (PanelControl& c : controls_) order.push_back(&c);
  std::stable_sort(order.begin(), order.end(),
                   [](const PanelControl* a, const PanelControl* b) { return a->rect.left < b->rect.left; });
  for (PanelControl* c : order) c->rect.top = (kZBtnPanelHeight - c->rect.height) / 2;
  if (order.size() == 1) {
    order[0]->rect.left = (width_ - order[0]->rect.width) / 2;
    return;
  }
  if (order.size() == 2) {
    order[0]->rect.left = 8;
    order[1]->rect.left = width_ - 8 - order[1]->rect.width;
    return;
  }
  const int sum = std::accumulate(order.begin(), order.end(), 0,
                                  [](int s, const PanelControl* c) { return s + c->rect.width; });
  const int gap = (width_ - sum - 16) / static_cast<int>(order.size() - 1);
  int x = 8;
  for (PanelControl* c : order) {
    c->rect.left = x;
    x += c->rect.width + gap;
  }
}

void TZBtnPanelModel::FitCaptions(const std::function<int(std::string_view)>& caption_width) {
  for (PanelControl& c : controls_) {
    if (!c.own) continue;
    const ZBtnDefault& text = kZBtnDefaults[c.def_text];
    const int widest = std::max(caption_width(text.rus), caption_width(text.ukr));
    c.rect.width = std::max(c.rect.width, ZButtonFitWidth(widest, text.image != eil16x16_End, kZButtonSpacing));
  }
  width_ = std::max(width_, MinWidth());
  Layout();
}

void TZBtnPanelModel::InitData() {
  if (initialised_) return;
  initialised_ = true;
  if (events.on_init_data) events.on_init_data();
}

void TZBtnPanelModel::Save() {
  if (events.on_save_data) events.on_save_data();
  saved_ = true;
  changed_ = false;
}

void TZBtnPanelModel::Click(EZBtnPanKind kind, PanelForm& form) {
  const PanelControl* button = Button(kind);
  if (button == nullptr) return;
  switch (kind) {
    case EZBtnPan_Fresh:
      if (events.on_load_data) events.on_load_data();
      break;
    case EZBtnPan_Apply:
      if (Check()) Save();
      break;
    case EZBtnPan_SaveY:
    case EZBtnPan_SaveN:
      form.modal_result = button->modal_result;
      closed_by_button_ = true;
      if (!form.modal) form.close_requested = true;
      break;
  }
}

bool TZBtnPanelModel::CloseQuery(PanelForm& form) {
  if (form.previous_close_query && !form.previous_close_query()) return false;
  const bool by_button = closed_by_button_;
  closed_by_button_ = false;
  if (form.modal_result == 1) {
    if (!Check()) return false;
    Save();
    return true;
  }
  if (form.modal_result == 2 && by_button) return true;
  if (form.modal_result != 0) return true;
  const bool changed = changed_ || (events.on_check_change && events.on_check_change());
  if (!changed) return true;
  const bool save = events.on_out_sel ? events.on_out_sel() : MsgQuery("", 6);
  if (save) {
    if (!Check()) return false;
    Save();
    form.modal_result = 1;
    return true;
  }
  changed_ = false;
  saved_ = false;
  return true;
}

}  // namespace tlx::messages
