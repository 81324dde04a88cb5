// The controls are made in FormCreate; the texts are aligned again whenever the DPI changes.
#include "about/dlg_about_win.h"

#include "about/about_picture_win.h"
#include "about/about_texts.h"
#include "toolkit/wide.h"

namespace {

// The layout, in pixels at 96 dpi relative to the parent's client area.
constexpr TRect96 kImage{0, 0, kAboutPictureWidth, kAboutPictureHeight};
constexpr TRect96 kPanel{0, 307, 500, 53};
constexpr TRect96 kCloseButton{376, 7, 120, 39};
constexpr TRect96 kLabelAuth{3, 145, 494, 16};
constexpr TRect96 kLabelHelp{3, 167, 494, 13};
constexpr TRect96 kLabelRec{30, 184, 467, 123};
// LabelHelp keeps a margin of 3 below it; LabelRec one of 1 above it and none below.
constexpr int kHelpBottomMargin = 3, kRecTopMargin = 1;

}  // namespace

TFormAbout::TFormAbout()
    : TForm(TBorderStyle::Dialog, TPosition::DesktopCenter, kAboutPictureWidth, kAboutPictureHeight, kTahoma8) {
  SetCaption(L"О программе");
  Image1.Create(*this, kImage);
  Image1.SetPictureSource(&DrawAboutPicture);
  sPanel1.Create(*this, kPanel);
  sBitBtn1.Create(sPanel1, kCloseButton, L"Закрыть", kTahoma10Bold, nullptr, -1);
  sBitBtn1.ModalResult = mrAboutClose;
  LabelAuth.Create(*this, kLabelAuth, L"LabelAuth", kTahoma10, {.alignment = TAlignment::Center});
  LabelHelp.Create(*this, kLabelHelp, L"LabelHelp", kTahoma8, {.alignment = TAlignment::Center, .word_wrap = true});
  LabelRec.Create(*this, kLabelRec, L"LabelRec", kTahoma8, {.single_line = false});
  FormCreate(this);
}

void TFormAbout::FormCreate(TObject*) {
  LabelAuth.SetText(Wide(AboutAuthorText()));
  LabelHelp.SetText(Wide(AboutSupportText()));
  LabelRec.SetText(Wide(AboutDonationText()));
  AlignAboutTexts(*this);
}

void TFormAbout::ApplyDpi(UINT dpi) {
  TForm::ApplyDpi(dpi);
  AlignAboutTexts(*this);
}

void AlignAboutTexts(TFormAbout& form) {
  TRect96 help = form.LabelHelp.Bounds96();
  help.height = form.LabelHelp.TextHeight96();
  form.LabelHelp.SetBounds96(help);
  TRect96 rec = form.LabelRec.Bounds96();
  rec.y = help.y + help.height + kHelpBottomMargin + kRecTopMargin;
  rec.height = form.sPanel1.Bounds96().y - rec.y;
  form.LabelRec.SetBounds96(rec);
}
