// The banner along the bottom of the main window: the rotation of its five texts, the link to the
// maker's site, and the start and the completion of the banner list download.
#pragma once

#include "controls/controls_win.h"
#include "toolkit/form_win.h"
#include "toolkit/timer_win.h"

// Works on the label and the two timers the main window owns and names; the texts are the
// process-wide slots ReklamText1 to ReklamText5 and the flag ReklamLoaded. GUI thread only.
class TBanner {
public:
  TBanner(TForm& form, TLabel& label, TTimer& update_timer, TTimer& change_timer) noexcept
      : form_(form), label_(label), update_timer_(update_timer), change_timer_(change_timer) {}

  // A tick of the rotation timer: restarts a full 15 s period, then, once the banner list has
  // loaded, shows a randomly drawn slot.
  void Rotate();
  // The pointer over the banner: the text underlined (it stays bold) and the window's pointer a
  // hand; and back.
  void PointerEntered();
  void PointerLeft();
  // Opens the maker's site, whatever text the banner shows.
  void OpenSite();
  // The one tick of the update timer: stops it for good and starts the download worker, which
  // owns itself from then on; on_end runs on the GUI thread once the worker has ended.
  void StartDownload(TNotifyEvent on_end);
  // The worker's completion: fills the slots from the cache file and sets ReklamLoaded.
  void DownloadEnded();

private:
  TForm& form_;
  TLabel& label_;
  TTimer& update_timer_;
  TTimer& change_timer_;
};
