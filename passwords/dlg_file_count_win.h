// The password-file dialog: the number of passwords and the file to write them to.
#pragma once

#include "controls/controls_win.h"
#include "controls/save_dialog_win.h"
#include "controls/spin_edit_win.h"

class TFormOpenFile : public TForm {
public:
  TFormOpenFile();

  TsPanel sPanel1;
  TsEdit EditFilePath;
  TsPanel sPanel2;
  TsButton BtnOpen;
  TsButton BtnCancel;
  TsAlphaImageList sAlphaImageList1;
  TsSpinEdit sSpinEdit1;
  TSaveTextFileDialog SaveTextFileDialog1;

  // Runs the save dialog; a confirmed file closes the window with mrOk, else it stays open.
  void BtnOpenClick(TObject* Sender);
  // Closes the window with mrCancel.
  void BtnCancelClick(TObject* Sender);
};
