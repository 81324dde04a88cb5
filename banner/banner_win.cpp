// The banner's handlers: rotation, pointer feedback, the site link and the download's two ends.
#include "banner/banner_win.h"

#include <windows.h>

#include <shlobj.h>

#include <memory>

#include "banner/downloader_win.h"
#include "banner/other_func_win.h"
#include "passwords/random.h"
#include "product/product_consts.h"
#include "toolkit/wide.h"

void TBanner::Rotate() {
  // Off and on again: the next tick is a full 15 s away, whatever the period was.
  change_timer_.SetEnabled(false);
  change_timer_.SetInterval(15000);
  change_timer_.SetEnabled(true);
  if (!ReklamLoaded) return;
  const std::u16string* const slots[] = {&ReklamText1, &ReklamText2, &ReklamText3, &ReklamText4, &ReklamText5};
  label_.SetText(Wide(*slots[DrawRandom(5)]));
}

void TBanner::PointerEntered() {
  TFontSpec font = label_.Font();
  font.underline = true;
  label_.SetFont(font);
  // The window's shape, not the label's: the windowless label shows what the window shows.
  form_.SetCursorShape(IDC_HAND);
}

void TBanner::PointerLeft() {
  TFontSpec font = label_.Font();
  font.underline = false;
  label_.SetFont(font);
  form_.SetCursorShape(nullptr);
}

void TBanner::OpenSite() { OpenInShell(Wide(SiteURL)); }

void TBanner::StartDownload(TNotifyEvent on_end) {
  const std::wstring folder = GetSpecialFolderPath(CSIDL_APPDATA);
  // Once per run: nothing enables the timer again.
  update_timer_.SetEnabled(false);
  auto worker = std::make_unique<TDownLoader>();
  worker->SetURL(std::u16string(ReklamURL));
  worker->SetToFolder(BannerCachePath(folder));
  worker->FreeOnTerminate = true;
  worker->OnTerminate = std::move(on_end);
  worker->Start();
  // From here on the worker owns itself and ends by itself; nothing waits for it at exit.
  static_cast<void>(worker.release());
}

void TBanner::DownloadEnded() {
  // The path is looked up again, not taken from the worker.
  LoadBannerList(BannerCachePath(GetSpecialFolderPath(CSIDL_APPDATA)));
}
