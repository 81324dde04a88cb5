// The main window: the alphabet, the length and the password, the four commands and the banner.
#include "app/main_form_win.h"

#include "about/dlg_about_win.h"
#include "app/product_consts.h"
#include "banner/banner_query_win.h"
#include "passwords/password.h"
#include "resources/resource_ids.h"
#include "toolkit/application_win.h"
#include "toolkit/wide.h"

TMainForm* MainForm = nullptr;

namespace {

// The layout, in pixels at 96 dpi relative to the parent's client area.
constexpr int kClientWidth = 524;
constexpr int kClientHeight = 136;
constexpr TRect96 kGroupBox{0, 0, 524, 49};
constexpr TRect96 kEditMask{5, 21, 447, 23};
constexpr TRect96 kSpinEdit{458, 21, 61, 23};
constexpr TRect96 kEditPass{3, 52, 518, 24};
constexpr TRect96 kPanel{0, 79, 524, 44};
constexpr TRect96 kBtnGen{4, 4, 145, 36};
constexpr TRect96 kBtnGenFile{155, 4, 47, 36};
constexpr TRect96 kBtnAbout{270, 4, 145, 36};
constexpr TRect96 kBtnExit{421, 4, 99, 36};
constexpr TRect96 kLabelReclam{0, 123, 524, 13};

constexpr TFontSpec kWindowFont{};                             // Tahoma 8 pt
constexpr TFontSpec kLargeFont{L"Tahoma", 13};                 // Tahoma 10 pt
constexpr TFontSpec kFieldFont{L"Tahoma", 13, false, false, RGB(0, 0, 0)};
constexpr TFontSpec kBoldFont{L"Tahoma", 11, true};
constexpr TFontSpec kBannerFont{L"Tahoma", 11, true, false, RGB(0, 0, 0)};

const wchar_t kDefaultAlphabet[] = L"1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// Image list indices of the four buttons.
constexpr int kImageGen = 0, kImageExit = 1, kImageAbout = 2, kImageGenFile = 3;

}  // namespace

TMainForm::TMainForm()
    : TForm(TBorderStyle::Dialog, TPosition::ScreenCenter, kClientWidth, kClientHeight, kWindowFont),
      sAlphaImageList1({IDI_BTN_GENERATE, IDI_BTN_EXIT, IDI_BTN_ABOUT, IDI_BTN_GENFILE}) {
  SetCaption(L"Tarvelin");
  // Created in tab order: the order of creation is the order of Tab.
  sGroupBox1.Create(*this, kGroupBox, L"Данные для генерации:", kLargeFont);
  EditMask.Create(sGroupBox1, kEditMask, kFieldFont, {});
  EditMask.SetText(kDefaultAlphabet);
  EditMask.SetPlaceholder(L"Введите набор символов для генерации случайного пароля");
  sSpinEdit1.Create(sGroupBox1, kSpinEdit, kFieldFont, {.numbers_only = true});
  sSpinEdit1.SetText(L"7");
  EditPass.Create(*this, kEditPass, kFieldFont, {});
  EditPass.SetPlaceholder(L"Ваш пароль");
  EditPass.PrivateClipboard = true;
  sPanel1.Create(*this, kPanel);
  BtnGen.Create(sPanel1, kBtnGen, L"Генерировать", kBoldFont, &sAlphaImageList1, kImageGen);
  BtnAbout.Create(sPanel1, kBtnAbout, L"О программе", kWindowFont, &sAlphaImageList1, kImageAbout);
  BtnExit.Create(sPanel1, kBtnExit, L"Выход", kWindowFont, &sAlphaImageList1, kImageExit);
  BtnGenFile.Create(sPanel1, kBtnGenFile, L"", kWindowFont, &sAlphaImageList1, kImageGenFile);
  LabelReclam.Create(*this, kLabelReclam, Wide(SiteURL), kBannerFont,
                     {.alignment = TAlignment::Center, .vertical_center = true});

  AddToolTip(BtnGen, L"Генерирование 1го пароля, он автоматически копируется в буфер обмена");
  AddToolTip(BtnGenFile, L"Генерирование файла паролей");
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
  AnswerBannerTextQueries(Handle(), LabelReclam);

  if (!::MainForm) ::MainForm = this;
  FormCreate(this);
}

void TMainForm::FormCreate(TObject*) {
  SetCaption(Wide(ProgramName) + L" " + Wide(ProgramVersion));
}

void TMainForm::BtnExitClick(TObject*) { Close(); }

void TMainForm::BtnAboutClick(TObject*) {
  // A fresh window for every showing, destroyed on every way out, a failure included.
  const auto about = std::make_unique<TFormAbout>();
  about->ShowModal();
}

void TMainForm::BtnGenFileClick(TObject*) {}

std::int32_t TMainForm::LengthValue() const {
  const std::wstring text = sSpinEdit1.Text();
  long long value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return 1;
    value = value * 10 + (c - L'0');
    if (value > INT32_MAX) return 1;
  }
  return static_cast<std::int32_t>(value);
}

void TMainForm::GenRandomPass(std::wstring Text, std::int32_t Count, std::wstring& Result, DrawSource& Source) {
  DrawPassword(std::wstring_view(Text), Count, Source, Result, [] { Application->ProcessMessagesIfDue(); });
  if (Count > 0) Application->ProcessMessages();
}

void TMainForm::BtnGenClick(TObject*) {
  const std::wstring alphabet = EditMask.Text();
  const std::int32_t length = LengthValue();
  std::wstring password;
  GenRandomPass(alphabet, length, password, PasswordSource());
  EditPass.SetText(password);
  // The whole new password is selected, so the copy takes all of it.
  EditPass.SelectAll();
  EditPass.CopyToClipboard();
}
