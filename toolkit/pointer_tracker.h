// Which windowless control of a container the pointer is over (hot) and which one the left button
// holds down (pressed). The tracker only keeps the two and says whom each pointer event concerns;
// the container tells them.
#pragma once

#include <utility>

template <class TControl>
class TPointerTracker {
public:
  // The controls an event concerns: the one the pointer left and the one it entered.
  struct TChange {
    TControl* left = nullptr;
    TControl* entered = nullptr;
  };

  TControl* Hot() const noexcept { return hot_; }
  TControl* Pressed() const noexcept { return pressed_; }

  // The pointer is over now (null: over none of the controls).
  TChange MoveTo(TControl* now) noexcept {
    if (now == hot_) return {};
    return TChange{std::exchange(hot_, now), now};
  }
  // The pointer left the container.
  TChange Leave() noexcept { return MoveTo(nullptr); }
  // The left button went down over at. A press begins only over a control and while none is
  // held; returns whether it began.
  bool Press(TControl* at) noexcept {
    if (pressed_ || !at) return false;
    pressed_ = at;
    return true;
  }
  // The press ends, released or cancelled: the control that was held, no longer held by the time
  // it hears of it (null when none was).
  TControl* EndPress() noexcept { return std::exchange(pressed_, nullptr); }
  // A control goes away: forgotten, unasked.
  void Forget(const TControl* control) noexcept {
    if (hot_ == control) hot_ = nullptr;
    if (pressed_ == control) pressed_ = nullptr;
  }

private:
  TControl* hot_ = nullptr;
  TControl* pressed_ = nullptr;
};
