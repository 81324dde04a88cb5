// The dialog's layout at 96 dpi, its controls and the handlers of its two buttons.
#include "passwords/dlg_file_count_win.h"

#include "resources/resource_ids.h"

namespace {

// The layout, in pixels at 96 dpi relative to the parent's client area.
constexpr TRect96 kPanel1{0, 0, 482, 29};
constexpr TRect96 kEditFilePath{4, 4, 407, 21};
constexpr TRect96 kSpinEdit{417, 4, 61, 21};
constexpr TRect96 kPanel2{0, 29, 482, 44};
constexpr TRect96 kBtnOpen{1, 1, 145, 42};
constexpr TRect96 kBtnCancel{361, 1, 120, 42};

// Image list indices: a yellow folder, a green check mark (shown by no control), a red cross.
constexpr int kImageFolder = 0, kImageCancel = 2;

}  // namespace

TFormOpenFile::TFormOpenFile()
    : TForm(TBorderStyle::ToolWindow, TPosition::MainFormCenter, 482, 73, kTahoma8),
      sAlphaImageList1({IDI_BTN_FOLDER, IDI_BTN_CHECK_GREEN, IDI_BTN_EXIT}) {
  SetCaption(L"Соханение файла паролей");
  // Created in tab order.
  sPanel1.Create(*this, kPanel1);
  EditFilePath.Create(sPanel1, kEditFilePath, kTahoma10, {.read_only = true});
  sSpinEdit1.Create(sPanel1, kSpinEdit, kTahoma8,
                    {.Text = L"100", .Value = 100, .MinValue = 1, .MaxValue = 0, .NumbersOnly = true});
  // No label window stands before the fields: screen readers take their names from annotations.
  EditFilePath.SetAccessibleName(L"Файл паролей");
  sSpinEdit1.SetAccessibleName(L"Количество паролей");
  sPanel2.Create(*this, kPanel2);
  BtnOpen.Create(sPanel2, kBtnOpen, L"Выбрать файл", kTahoma8Bold, &sAlphaImageList1, kImageFolder);
  BtnCancel.Create(sPanel2, kBtnCancel, L"Закрыть", kTahoma8, &sAlphaImageList1, kImageCancel);
  BtnCancel.ModalResult = mrCancel;
  BtnOpen.OnClick = [this](TObject* s) { BtnOpenClick(s); };
  BtnCancel.OnClick = [this](TObject* s) { BtnCancelClick(s); };
}

void TFormOpenFile::BtnOpenClick(TObject*) {
  if (SaveTextFileDialog1.Execute(Handle())) {
    EditFilePath.SetText(SaveTextFileDialog1.FileName);
    SetModalResult(mrOk);
  } else {
    SetModalResult(mrNone);
  }
}

void TFormOpenFile::BtnCancelClick(TObject*) { SetModalResult(mrCancel); }
