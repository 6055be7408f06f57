#include "messages/zbutton.h"

namespace tlx::messages {

TZButtonModel::TZButtonModel()
    : caption_l_({[this] { return caption_; }, [this](const std::string& s) { caption_ = s; }}, &owner_),
      hint_l_({[this] { return hint_; }, [this](const std::string& s) { hint_ = s; }}, &owner_) {}

void TZButtonModel::SetDefText(int value) {
  def_text_ = value >= 0 && value < EZBtnPDT_End ? static_cast<EZBtnPDT>(value) : EZBtnPDT_None;
  if (def_text_ == EZBtnPDT_None) return;
  const ZBtnDefault& d = kZBtnDefaults[def_text_];
  caption_l_.SetLUkr(std::string(d.ukr));
  caption_l_.SetLRus(std::string(d.rus));
  image_ = d.image;
}

void TZButtonModel::SetImageNo(int value) {
  if (def_text_ != EZBtnPDT_None) return;
  image_ = value >= 0 && value < eil16x16_End ? static_cast<EImgLs16x16>(value) : eil16x16_End;
}

void TZButtonModel::SetMargin(int value) {
  if (value >= -1) margin_ = value;
}

void TZButtonModel::SetSpacing(int value) { spacing_ = value < 0 ? 0 : value; }

void TZButtonModel::SetLayout(int value) {
  layout_ = value >= blGlyphLeft && value <= blGlyphBottom ? static_cast<EGlyphLayout>(value) : blGlyphBottom;
}

int ZButtonFitWidth(int caption_width, bool has_image, int spacing) {
  return caption_width + (has_image ? spacing + kZButtonImageSize : 0) + 2 * (kZButtonFrame + kZButtonCaptionGap);
}

ButtonFace LayoutButtonFace(const ButtonFaceInput& in) {
  constexpr int kFrame = kZButtonFrame;
  const int img = kZButtonImageSize;
  const bool has_caption = in.caption_width > 0;
  // The room of the caption: the face inside its frame, less the image's reserve.
  DlgRect room{kFrame, kFrame, in.width - 2 * kFrame, in.height - 2 * kFrame};
  const int reserve = in.has_image && has_caption ? in.spacing + img : 0;
  switch (in.layout) {
    case blGlyphLeft: room.left += reserve; room.width -= reserve; break;
    case blGlyphRight: room.width -= reserve; break;
    case blGlyphTop: room.top += reserve; room.height -= reserve; break;
    case blGlyphBottom: room.height -= reserve; break;
  }
  ButtonFace face;
  if (has_caption) {
    DlgRect& c = face.caption;
    c.width = in.caption_width;
    c.height = in.caption_height;
    c.top = room.top + (room.height - c.height) / 2;
    if (in.multiline || in.margin == -1 || in.align == taCenter) {
      c.left = room.left + (room.width - c.width) / 2;
    } else if (in.align == taLeftJustify) {
      c.left = room.left + in.margin;
    } else {
      c.left = room.left + room.width - in.margin - c.width;
    }
  }
  if (in.has_image) {
    DlgRect& i = face.image;
    i.width = i.height = img;
    if (!has_caption) {
      i.left = (in.width - img) / 2;
      i.top = (in.height - img) / 2;
    } else {
      const DlgRect& c = face.caption;
      switch (in.layout) {
        case blGlyphLeft: i.left = c.left - in.spacing - img; i.top = room.top + (room.height - img) / 2; break;
        case blGlyphRight: i.left = c.left + c.width + in.spacing; i.top = room.top + (room.height - img) / 2; break;
        case blGlyphTop: i.top = c.top - in.spacing - img; i.left = room.left + (room.width - img) / 2; break;
        case blGlyphBottom: i.top = c.top + c.height + in.spacing; i.left = room.left + (room.width - img) / 2; break;
      }
    }
  }
  if (in.pressed) {
    for (DlgRect* r : {&face.image, &face.caption}) {
      r->left += 1;
      r->top += 1;
    }
  }
  return face;
}

}  // namespace tlx::messages
