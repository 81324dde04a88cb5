// The press of a spin button that repeats its click while held, without its window or its timer:
// the button runs a timer as each step orders and reports the timer's ticks.
#pragma once

// The first repeat comes this long after the press, the later ones at the shorter interval.
constexpr unsigned kFirstRepeatMs = 400;
constexpr unsigned kRepeatMs = 100;

enum class TTimerOrder {
  Keep,
  Restart,   // a fresh count of interval, whatever the timer was doing
  Interval,  // the interval changes; the timer keeps running
  Stop,
};

// What the button does after an event, in this order: repaints, orders its timer, clicks.
struct TPressStep {
  bool repaint = false;
  TTimerOrder timer = TTimerOrder::Keep;
  unsigned interval = 0;
  bool click = false;
};

class TRepeatPress {
public:
  bool Down() const noexcept { return down_; }
  // A press: nothing unless the button and its column are enabled; else down, and with repeat a
  // fresh count of the first delay.
  TPressStep Press(bool enabled, bool repeat) noexcept;
  // The release, also when the button is disabled or the press ends otherwise: up and the timer
  // stopped; a click when the button was down and is released over itself.
  TPressStep Release(bool over) noexcept;
  // A tick: the timer goes on at the shorter interval; a click while the button is down and its
  // column holds the mouse capture for it. A lost capture keeps the timer running without clicks
  // until the release.
  TPressStep Tick(bool holds_capture) const noexcept;

private:
  bool down_ = false;
};
