// Every press restarts the count; only a release stops it.
#include "controls/repeat_press.h"

TPressStep TRepeatPress::Press(bool enabled, bool repeat) noexcept {
  if (!enabled) return {};
  down_ = true;
  if (!repeat) return {.repaint = true};
  return {.repaint = true, .timer = TTimerOrder::Restart, .interval = kFirstRepeatMs};
}

TPressStep TRepeatPress::Release(bool over) noexcept {
  const bool was_down = down_;
  down_ = false;
  return {.repaint = true, .timer = TTimerOrder::Stop, .click = over && was_down};
}

TPressStep TRepeatPress::Tick(bool holds_capture) const noexcept {
  return {.timer = TTimerOrder::Interval, .interval = kRepeatMs, .click = down_ && holds_capture};
}
