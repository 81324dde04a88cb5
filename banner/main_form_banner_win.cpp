// The main window's banner: the rotation of its texts, the link to the site, and the start and
// the completion of the banner list download.
#include <windows.h>

#include <shlobj.h>

#include <memory>

#include "app/main_form_win.h"
#include "product/product_consts.h"
#include "banner/downloader_win.h"
#include "banner/other_func_win.h"
#include "passwords/random.h"
#include "toolkit/wide.h"

void TMainForm::TimerReklamChangeTimer(TObject*) {
  // Off and on again: the next tick is a full 15 s away, whatever the period was.
  TimerReklamChange.SetEnabled(false);
  TimerReklamChange.SetInterval(15000);
  TimerReklamChange.SetEnabled(true);
  if (!ReklamLoaded) return;
  const std::u16string* const slots[] = {&ReklamText1, &ReklamText2, &ReklamText3, &ReklamText4, &ReklamText5};
  LabelReclam.SetText(Wide(*slots[DrawRandom(5)]));
}

void TMainForm::LabelReclamMouseEnter(TObject*) {
  TFontSpec font = LabelReclam.Font();
  font.underline = true;
  LabelReclam.SetFont(font);
  // The window's shape, not the label's: the windowless label shows what the window shows.
  SetCursorShape(IDC_HAND);
}

void TMainForm::LabelReclamMouseLeave(TObject*) {
  TFontSpec font = LabelReclam.Font();
  font.underline = false;
  LabelReclam.SetFont(font);
  SetCursorShape(nullptr);
}

void TMainForm::LabelReclamClick(TObject*) {
  // Always the site, whatever text the banner shows.
  OpenInShell(Wide(SiteURL));
}

void TMainForm::TimerReklamUpdateTimer(TObject*) {
  const std::wstring folder = GetSpecialFolderPath(CSIDL_APPDATA);
  // Once per run: nothing enables the timer again.
  TimerReklamUpdate.SetEnabled(false);
  auto worker = std::make_unique<TDownLoader>();
  worker->SetURL(Wide(ReklamURL));
  worker->SetToFolder(BannerCachePath(folder));
  worker->FreeOnTerminate = true;
  worker->OnTerminate = [this](TObject* sender) { thrTerminate(sender); };
  worker->Start();
  // From here on the worker owns itself and ends by itself; nothing waits for it at exit.
  static_cast<void>(worker.release());
}

void TMainForm::thrTerminate(TObject*) {
  // The path is looked up again, not taken from the worker.
  LoadBannerList(BannerCachePath(GetSpecialFolderPath(CSIDL_APPDATA)));
}
