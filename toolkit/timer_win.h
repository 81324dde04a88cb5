// A window timer: ticks every Interval milliseconds while it is enabled and has a handler.
#pragma once

#include <windows.h>

#include "toolkit/handle_win.h"
#include "toolkit/object.h"

class TTimer : public TObject {
public:
  TTimer();
  ~TTimer() override;

  bool Enabled() const noexcept { return enabled_; }
  UINT Interval() const noexcept { return interval_; }

  // A change of any of the three stops the count and, when the interval is not 0, the timer is
  // enabled and has a handler, starts a fresh count of the full interval. Setting the value the
  // timer already has changes nothing. Throws EOutOfResources ("Not enough timers available")
  // when the system refuses a timer.
  void SetEnabled(bool enabled);
  void SetInterval(UINT interval);
  void SetOnTimer(TNotifyEvent handler);

  // Whether the system timer is counting.
  bool Counting() const noexcept { return counting_; }
  HWND Handle() const noexcept { return window_.Get(); }

private:
  void Update();
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  TUniqueWindow window_;  // a hidden window of its own receives the ticks
  bool enabled_ = true;
  UINT interval_ = 1000;
  TNotifyEvent on_timer_;
  bool counting_ = false;
};
