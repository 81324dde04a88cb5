// The controls are made in FormCreate; the texts are aligned again whenever the DPI changes.
#include "about/dlg_about_win.h"

#include "about/about_layout.h"
#include "about/about_picture_win.h"
#include "about/about_texts.h"
#include "toolkit/wide.h"

TFormAbout::TFormAbout()
    : TForm(TBorderStyle::Dialog, TPosition::DesktopCenter, kAboutPictureWidth, kAboutPictureHeight, kTahoma8) {
  SetCaption(L"О программе");
  Image1.Create(*this, kAboutImage);
  Image1.SetPictureSource(&DrawAboutPicture);
  sPanel1.Create(*this, kAboutPanel);
  sBitBtn1.Create(sPanel1, kAboutCloseButton, L"Закрыть", kTahoma10Bold, nullptr, -1);
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
  const TAboutTextPlaces places = AboutTextPlaces(form.LabelHelp.TextHeight96());
  form.LabelHelp.SetBounds96(places.help);
  form.LabelRec.SetBounds96(places.rec);
}
