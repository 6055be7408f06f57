// TZButton without its window: bilingual caption and hint, default texts, image number, the layout
// properties with their clamps, what a form file stores, and where the face puts image and caption.
#pragma once
#include <cstdint>
#include <string>

#include "messages/dialog_model.h"
#include "messages/lang_box.h"
#include "messages/zbutton_defaults.h"

namespace tlx::messages {

enum EGlyphLayout : uint8_t { blGlyphLeft = 0, blGlyphRight = 1, blGlyphTop = 2, blGlyphBottom = 3 };
enum EAlignH : uint8_t { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };

inline constexpr int kZButtonWidth = 98;
inline constexpr int kZButtonHeight = 25;
inline constexpr int kZButtonImageSize = 16;
inline constexpr int kZButtonSpacing = 4;  // Spacing's default: image to caption

class TZButtonModel {
 public:
  TZButtonModel();
  TZButtonModel(const TZButtonModel&) = delete;
  TZButtonModel& operator=(const TZButtonModel&) = delete;

  LangBoxOwner& owner() { return owner_; }
  TZLangBox& CaptionL() { return caption_l_; }
  TZLangBox& HintL() { return hint_l_; }
  const std::string& Caption() const { return caption_; }
  const std::string& Hint() const { return hint_; }

  EZBtnPDT DefText() const { return def_text_; }
  // Values outside the table give EZBtnPDT_None; any other value writes its captions and image.
  void SetDefText(int value);
  EImgLs16x16 ImageNo() const { return image_; }
  // Ignored while DefText is set; values above 100 give eil16x16_End.
  void SetImageNo(int value);
  int Margin() const { return margin_; }
  void SetMargin(int value);  // values below -1 are refused
  int Spacing() const { return spacing_; }
  void SetSpacing(int value);  // negative values give 0
  EGlyphLayout Layout() const { return layout_; }
  void SetLayout(int value);  // values outside the four give blGlyphBottom
  EAlignH AlignH() const { return align_; }
  void SetAlignH(EAlignH value) { align_ = value; }
  bool Multiline() const { return multiline_; }
  void SetMultiline(bool value) { multiline_ = value; }

  // What a form file keeps: CaptionL only without a default text, ImageNo only when it differs
  // from the default text's image.
  bool StoresCaptionL() const { return def_text_ == EZBtnPDT_None; }
  bool StoresImageNo() const { return image_ != kZBtnDefaults[def_text_].image; }

 private:
  LangBoxOwner owner_;
  std::string caption_;
  std::string hint_;
  TZLangBox caption_l_;
  TZLangBox hint_l_;
  EZBtnPDT def_text_ = EZBtnPDT_None;
  EImgLs16x16 image_ = eil16x16_End;
  int margin_ = -1;
  int spacing_ = kZButtonSpacing;
  EGlyphLayout layout_ = blGlyphLeft;
  EAlignH align_ = taLeftJustify;
  bool multiline_ = false;
};

// Places of the image and the caption on a button face of `width` x `height`.
struct ButtonFace {
  DlgRect image;    // width 0: no image
  DlgRect caption;  // width 0: no caption
};

struct ButtonFaceInput {
  int width = kZButtonWidth;
  int height = kZButtonHeight;
  int caption_width = 0;   // measured caption (0: none)
  int caption_height = 0;
  bool has_image = false;
  EGlyphLayout layout = blGlyphLeft;
  int spacing = 4;
  int margin = -1;
  bool multiline = false;
  EAlignH align = taLeftJustify;
  bool pressed = false;
};

// The frame of a button face, and the gap its caption keeps from the frame when the button is
// fitted to it.
inline constexpr int kZButtonFrame = 3;
inline constexpr int kZButtonCaptionGap = 4;

// The narrowest button whose face holds a caption of `caption_width` pixels, with the image (when
// `has_image`) `spacing` beside it, `kZButtonCaptionGap` inside the frame on both sides.
int ZButtonFitWidth(int caption_width, bool has_image, int spacing);

// The image reserves spacing + 16 pixels on its side; the caption is centred (multi-line or margin
// -1) or placed by alignment and margin in the rest; the image stands `spacing` from the caption,
// or in the middle without one; everything moves one pixel while pressed.
ButtonFace LayoutButtonFace(const ButtonFaceInput& in);

}  // namespace tlx::messages
