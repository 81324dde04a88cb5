// The About window: the author, the support address and the details for donations over a
// picture, closed by its one button.
#pragma once

#include "controls/controls_win.h"
#include "toolkit/form_win.h"

// The modal result of the close button.
inline constexpr int mrAboutClose = 11;

class TFormAbout : public TForm {
public:
  // Builds the window, hidden, and raises FormCreate.
  TFormAbout();

  TImage Image1;
  TsPanel sPanel1;
  TsButton sBitBtn1;
  TLabel LabelAuth;
  TLabel LabelHelp;
  TLabel LabelRec;

  // Composes the three texts from the product constants and lays them out.
  void FormCreate(TObject* Sender);

  // A new dpi can wrap the support line differently: the texts are laid out again.
  void ApplyDpi(UINT dpi) override;
};

// Gives LabelHelp the height its text needs and LabelRec the space between it and the panel.
void AlignAboutTexts(TFormAbout& form);
