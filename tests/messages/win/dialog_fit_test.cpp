// The message dialog's check box and the button panel measured with the system's own fonts (under
// Wine, its substitutes for the designer's): every caption fits its control.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "messages/btn_panel.h"
#include "messages/dialog_model.h"
#include "messages/win/dc_measurer.h"
#include "messages/win/zcontrols.h"
#include "messages/zbutton.h"

namespace tlx::win {
namespace {

using messages::DlgControl;

// A caption as a button draws it: without its "&" marks.
std::string Drawn(std::string caption) {
  caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
  return caption;
}

class DialogFit : public ::testing::Test {
 protected:
  DialogFit()
      : screen_(::GetDC(nullptr)),
        dc_(::CreateCompatibleDC(screen_)),
        measurer_(dc_.get(), Wide(messages::kDialogFontName), messages::kDialogFontHeight) {}
  ~DialogFit() override { ::ReleaseDC(nullptr, screen_); }

  HDC screen_;
  UniqueMemoryDc dc_;
  DcMeasurer measurer_;
};

TEST_F(DialogFit, TheCheckBoxHoldsItsCaption) {
  for (messages::ELang lang : {messages::elg_Rus, messages::elg_Ukr}) {
    for (messages::EMsgKind kind : {messages::EMsgKind::emk_QueryAsk, messages::EMsgKind::emk_WarningAsk}) {
      SCOPED_TRACE(std::to_string(static_cast<int>(kind)) + (lang == messages::elg_Rus ? " rus" : " ukr"));
      messages::DialogModel model(kind, false, lang);
      model.SetText("Удалить?");
      model.Prepare(measurer_, lang == messages::elg_Rus);
      const auto& ask = model.control(DlgControl::Ask);
      ASSERT_TRUE(ask.visible);
      const int caption = measurer_.TextWidth(Drawn(ask.caption), {});
      EXPECT_GE(ask.rect.width, caption + messages::kCheckBoxSquare) << ask.caption << " measures " << caption;
      EXPECT_GE(ask.rect.left, 0);
      EXPECT_LE(ask.rect.left + ask.rect.width, model.client_width());
    }
  }
}

// A form with the panel of all four buttons, as the suite's settings windows have it.
class PanelHost : public Window {
 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    return Default(message, wparam, lparam);
  }
};

TEST_F(DialogFit, PanelButtonsHoldImageAndCaptionInBothLanguages) {
  RegisterWindowClass(L"TlxFitHost");
  PanelHost host;
  if (!host.Create(L"TlxFitHost", L"fit", WS_POPUP | WS_CAPTION, 0, Bounds(0, 0, 480, 300), nullptr)) {
    GTEST_SKIP() << "no window station to create windows in";
  }
  UniqueFont font = MakeFont(Wide(messages::kDialogFontName), messages::kDialogFontHeight, false, false, false, false, RUSSIAN_CHARSET);
  TZBtnPanel panel(host.hwnd(), font.get());
  panel.model().SetKind(messages::PanKinds({messages::EZBtnPan_SaveN, messages::EZBtnPan_SaveY,
                                            messages::EZBtnPan_Fresh, messages::EZBtnPan_Apply}));
  panel.Rebuild();
  RECT client;
  ::GetClientRect(panel.hwnd(), &client);
  EXPECT_GE(client.right, panel.model().width());
  SelectObjectScope select(dc_.get(), font.get());
  for (const messages::PanelControl& c : panel.model().controls()) {
    const messages::ZBtnDefault& text = messages::kZBtnDefaults[c.def_text];
    for (std::string_view caption : {text.rus, text.ukr}) {
      SCOPED_TRACE(std::string(caption));
      const std::wstring wide = Wide(caption);
      SIZE size{0, 0};
      ::GetTextExtentPoint32W(dc_.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
      messages::ButtonFaceInput in;
      in.width = c.rect.width;
      in.caption_width = size.cx;
      in.caption_height = size.cy;
      in.has_image = true;
      const messages::ButtonFace face = messages::LayoutButtonFace(in);
      const int inset = messages::kZButtonFrame + messages::kZButtonCaptionGap;
      EXPECT_GE(face.image.left, inset) << "width " << c.rect.width << ", caption " << size.cx;
      EXPECT_LE(face.caption.left + face.caption.width, c.rect.width - inset)
          << "width " << c.rect.width << ", caption " << size.cx;
    }
    EXPECT_GE(c.rect.left, 8);
    EXPECT_LE(c.rect.left + c.rect.width, panel.model().width() - 8);
  }
}

}  // namespace
}  // namespace tlx::win
