// The controls and their texts, the handlers of the commands and the drawing of a password from
// a draw source.
#include "app/main_form_win.h"

#include "about/dlg_about_win.h"
#include "app/main_form_layout.h"
#include "product/product_consts.h"
#include "passwords/dlg_file_count_win.h"
#include "passwords/line_list_win.h"
#include "passwords/password.h"
#include "resources/resource_ids.h"
#include "toolkit/application_win.h"
#include "toolkit/scope_exit.h"
#include "toolkit/secure_wipe.h"
#include "toolkit/wide.h"

TMainForm* MainForm = nullptr;

namespace {

const wchar_t kDefaultAlphabet[] = L"1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
const wchar_t kGroupCaption[] = L"Данные для генерации:";
const wchar_t kGenFileHint[] = L"Генерирование файла паролей";

// Image list indices of the four buttons.
constexpr int kImageGen = 0, kImageExit = 1, kImageAbout = 2, kImageGenFile = 3;

}  // namespace

TMainForm::TMainForm()
    : TForm(TBorderStyle::Dialog, TPosition::ScreenCenter, kClientWidth, kClientHeight, kTahoma8),
      sAlphaImageList1({IDI_BTN_GENERATE, IDI_BTN_EXIT, IDI_BTN_ABOUT, IDI_BTN_GENFILE}) {
  SetCaption(L"Tarvelin");
  // Created in tab order: the order of creation is the order of Tab.
  sGroupBox1.Create(*this, kGroupBox, kGroupCaption, kTahoma10);
  EditMask.Create(sGroupBox1, kEditMask, kFieldFont, {});
  EditMask.SetText(kDefaultAlphabet);
  EditMask.SetPlaceholder(L"Введите набор символов для генерации случайного пароля");
  // The alphabet is no secret: its copy and cut stay the system's own, seen by the clipboard
  // history like any text.
  sSpinEdit1.Create(sGroupBox1, kSpinEdit, kFieldFont,
                    {.Text = L"7", .Value = 7, .MinValue = 1, .MaxValue = 0, .NumbersOnly = true});
  EditPass.Create(*this, kEditPass, kFieldFont, {});
  EditPass.SetPlaceholder(L"Ваш пароль");
  EditPass.PrivateClipboard = true;
  // The group caption and the placeholders are no windows, so no label names the fields for
  // screen readers: each gets its name as an annotation.
  EditMask.SetAccessibleName(kGroupCaption);
  sSpinEdit1.SetAccessibleName(L"Длина пароля");
  EditPass.SetAccessibleName(L"Ваш пароль");
  sPanel1.Create(*this, kPanel);
  BtnGen.Create(sPanel1, kBtnGen, L"Генерировать", kTahoma8Bold, &sAlphaImageList1, kImageGen);
  BtnAbout.Create(sPanel1, kBtnAbout, L"О программе", kTahoma8, &sAlphaImageList1, kImageAbout);
  BtnExit.Create(sPanel1, kBtnExit, L"Выход", kTahoma8, &sAlphaImageList1, kImageExit);
  // The image alone; its tooltip is its window text, so screen readers name it.
  BtnGenFile.IconOnly = true;
  BtnGenFile.Create(sPanel1, kBtnGenFile, kGenFileHint, kTahoma8, &sAlphaImageList1, kImageGenFile);
  LabelReclam.Create(*this, kLabelReclam, Wide(SiteURL), kBannerFont,
                     {.alignment = TAlignment::Center, .vertical_center = true, .link = true});

  AddToolTip(BtnGen, L"Генерирование 1го пароля, он автоматически копируется в буфер обмена");
  AddToolTip(BtnGenFile, kGenFileHint);
  AddToolTip(BtnAbout, L"Информация о том, как можно помочь проекту, как связаться с автором, и так далее...");
  AddToolTip(BtnExit, L"Завершение работы с данной замечательной программой...");

  BtnGen.OnClick = [this](TObject* s) { BtnGenClick(s); };
  BtnGenFile.OnClick = [this](TObject* s) { BtnGenFileClick(s); };
  BtnAbout.OnClick = [this](TObject* s) { BtnAboutClick(s); };
  BtnExit.OnClick = [this](TObject* s) { BtnExitClick(s); };
  LabelReclam.OnClick = [this](TObject* s) { LabelReclamClick(s); };
  LabelReclam.OnMouseEnter = [this](TObject* s) { LabelReclamMouseEnter(s); };
  LabelReclam.OnMouseLeave = [this](TObject* s) { LabelReclamMouseLeave(s); };

  // Both banner timers start counting when the window is built: the interval, then the handler.
  TimerReklamUpdate.SetInterval(20000);
  TimerReklamUpdate.SetOnTimer([this](TObject* s) { TimerReklamUpdateTimer(s); });
  TimerReklamChange.SetInterval(30000);
  TimerReklamChange.SetOnTimer([this](TObject* s) { TimerReklamChangeTimer(s); });

  if (!::MainForm) ::MainForm = this;
  FormCreate(this);
}

void TMainForm::FormCreate(TObject*) {
  SetCaption(Wide(ProgramName) + L" " + Wide(ProgramVersion));
}

void TMainForm::BtnExitClick(TObject*) { Close(); }

void TMainForm::TimerReklamChangeTimer(TObject*) { banner_.Rotate(); }
void TMainForm::LabelReclamMouseEnter(TObject*) { banner_.PointerEntered(); }
void TMainForm::LabelReclamMouseLeave(TObject*) { banner_.PointerLeft(); }
void TMainForm::LabelReclamClick(TObject*) { banner_.OpenSite(); }
void TMainForm::TimerReklamUpdateTimer(TObject*) {
  banner_.StartDownload([this](TObject* sender) { thrTerminate(sender); });
}
void TMainForm::thrTerminate(TObject*) { banner_.DownloadEnded(); }

void TMainForm::BtnAboutClick(TObject*) {
  // A fresh window for every showing, destroyed on every way out, a failure included.
  const auto about = std::make_unique<TFormAbout>();
  about->ShowModal();
}

void TMainForm::BtnGenFileClick(TObject*) {
  // A fresh dialog for every run, destroyed on every way out; it stays, hidden, while the file
  // is generated.
  const auto dialog = std::make_unique<TFormOpenFile>();
  if (dialog->ShowModal() != mrOk) return;
  const std::wstring file_name = dialog->SaveTextFileDialog1.FileName;
  const std::int32_t count = dialog->sSpinEdit1.Value();
  GenRandomFile(file_name, count);
}

void TMainForm::GenRandomFile(const std::wstring& FileName, std::int32_t PassCount) {
  if (PassCount <= 0) {
    // Owned by the hidden application window, so the main window stays usable.
    Application->ShowMessageBox(Application->Handle(), L"Указано неверное количество паролей...", L"Количество паролей",
                                MB_OK | MB_ICONINFORMATION, TBoxScope::Owner);
    return;
  }
  TLineList list;
  std::u16string password;
  const TScopeExit wipe([this, &list, &password] {
    SecureWipe(password);
    list.Wipe();
    PasswordSource().Wipe();
  });
  // The fields are read for every password, but from their windows only when their text has
  // changed: a million window messages would cost seconds.
  std::u16string alphabet;
  std::int32_t length = 0;
  std::uint64_t alphabet_version = EditMask.TextVersion() - 1, length_version = sSpinEdit1.TextVersion() - 1;
  std::exception_ptr failure;
  try {
    for (std::int32_t i = 0; i < PassCount; ++i) {
      if (EditMask.TextVersion() != alphabet_version) {
        alphabet_version = EditMask.TextVersion();
        alphabet = U16(EditMask.Text());
      }
      if (sSpinEdit1.TextVersion() != length_version) {
        length_version = sSpinEdit1.TextVersion();
        length = sSpinEdit1.Value();
      }
      // The generator lets messages through after its last block; a length of 0 or less draws
      // nothing, so the loop does it then.
      DrawPassword(std::u16string_view(alphabet), length, PasswordSource(), password,
                   [] { Application->ProcessMessagesIfDue(); });
      list.Add(password);
      if (length <= 0) Application->ProcessMessagesIfDue();
    }
  } catch (...) {
    failure = std::current_exception();
  }
  // The save lets messages through between its pieces too: a large file takes a while.
  list.SaveToFile(FileName, [] { Application->ProcessMessagesIfDue(); });
  if (failure) std::rethrow_exception(failure);
}

void TMainForm::GenRandomPass(std::wstring Text, std::int32_t Count, std::wstring& Result, TDrawSource& Source) {
  const TScopeExit wipe([&Source] { Source.Wipe(); });
  DrawPassword(std::wstring_view(Text), Count, Source, Result, [] { Application->ProcessMessagesIfDue(); });
  if (Count > 0) Application->ProcessMessages();
}

void TMainForm::BtnGenClick(TObject*) {
  const std::wstring alphabet = EditMask.Text();
  const std::int32_t length = sSpinEdit1.Value();
  std::wstring password;
  const TScopeExit wipe([&password] { SecureWipe(password); });
  GenRandomPass(alphabet, length, password, PasswordSource());
  EditPass.SetText(password);
  // The whole new password is selected, so the copy takes all of it.
  EditPass.SelectAll();
  EditPass.CopyToClipboard();
}
