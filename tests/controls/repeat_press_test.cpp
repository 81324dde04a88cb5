// The spin button's press and repeat, and the keys and characters that cut, copy and paste.
#include "controls/repeat_press.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/edit_keys.h"

namespace {

// One event of a press, as the button reports it.
enum class TEvent { Press, PressRefused, PressWithoutRepeat, TickHeld, TickLost, ReleaseOver, ReleaseAway };

// Runs the events on a timer in memory and writes what the button did: "c" for a click, and the
// timer's state after each event: "-" stopped, or its interval and "!" when it started a fresh count.
std::string RunPress(const std::vector<TEvent>& events) {
  TRepeatPress press;
  bool running = false;
  unsigned interval = 0;
  std::string got;
  for (TEvent event : events) {
    TPressStep step;
    switch (event) {
      case TEvent::Press: step = press.Press(true, true); break;
      case TEvent::PressRefused: step = press.Press(false, true); break;
      case TEvent::PressWithoutRepeat: step = press.Press(true, false); break;
      case TEvent::TickHeld: step = press.Tick(true); break;
      case TEvent::TickLost: step = press.Tick(false); break;
      case TEvent::ReleaseOver: step = press.Release(true); break;
      case TEvent::ReleaseAway: step = press.Release(false); break;
    }
    // A tick comes only from a running timer; a press or release always repaints.
    if (event == TEvent::TickHeld || event == TEvent::TickLost) {
      EXPECT_TRUE(running);
    }
    EXPECT_EQ(step.repaint, event != TEvent::TickHeld && event != TEvent::TickLost && event != TEvent::PressRefused);
    bool fresh = false;
    switch (step.timer) {
      case TTimerOrder::Keep: break;
      case TTimerOrder::Restart: running = fresh = true; interval = step.interval; break;
      case TTimerOrder::Interval: interval = step.interval; break;
      case TTimerOrder::Stop: running = false; break;
    }
    if (step.click) got += "c";
    got += running ? std::to_string(interval) + (fresh ? "! " : " ") : "- ";
  }
  return got;
}

TEST(RepeatPress, AHeldButtonRepeatsAfterTheFirstDelayThenFasterAndClicksOnRelease) {
  using E = TEvent;
  const struct {
    std::vector<E> events;
    std::string expected;
  } cases[] = {
      {{E::Press, E::ReleaseOver}, "400! c- "},
      {{E::Press, E::ReleaseAway}, "400! - "},
      {{E::Press, E::TickHeld, E::TickHeld, E::ReleaseOver}, "400! c100 c100 c- "},
      // The capture lost: the ticks go on without clicks until the release.
      {{E::Press, E::TickHeld, E::TickLost, E::TickLost, E::ReleaseAway}, "400! c100 100 100 - "},
      // A new press starts a fresh count of the first delay, even while the timer runs.
      {{E::Press, E::TickLost, E::Press, E::TickHeld}, "400! 100 400! c100 "},
      // Refused while disabled; a release then does not click.
      {{E::PressRefused, E::ReleaseOver}, "- - "},
      {{E::PressWithoutRepeat, E::ReleaseOver}, "- c- "},
      // A release without a press, or a second release, never clicks.
      {{E::ReleaseOver}, "- "},
      {{E::Press, E::ReleaseAway, E::ReleaseOver}, "400! - - "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(RunPress(c.events), c.expected);
  }
}

TEST(RepeatPress, DownFollowsThePressAndTheRelease) {
  TRepeatPress press;
  press.Press(false, true);
  EXPECT_FALSE(press.Down());
  press.Press(true, false);
  EXPECT_TRUE(press.Down());
  EXPECT_FALSE(press.Tick(false).click);
  press.Release(false);
  EXPECT_FALSE(press.Down());
  EXPECT_FALSE(press.Tick(true).click) << "a tick after the release never clicks";
}

TEST(EditKeys, EachClipboardKeyNeedsExactlyItsModifier) {
  using C = TClipboardCommand;
  using K = TEditKey;
  const struct {
    K key;
    bool shift, control;
    C expected;
  } cases[] = {
      {K::Delete, true, false, C::Cut},     {K::Delete, false, false, C::None}, {K::Delete, true, true, C::None},
      {K::Delete, false, true, C::None},    {K::Insert, false, true, C::Copy},  {K::Insert, true, false, C::Paste},
      {K::Insert, true, true, C::None},     {K::Insert, false, false, C::None}, {K::Other, true, false, C::None},
      {K::Other, false, true, C::None},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.key) << " shift " << c.shift << " control " << c.control);
    EXPECT_EQ(ClipboardKeyCommand(c.key, c.shift, c.control), c.expected);
  }
  const struct {
    char32_t c;
    C expected;
  } chars[] = {{0x16, C::Paste}, {0x18, C::Cut}, {0x03, C::None}, {u'v', C::None}, {0x10016, C::None}, {0, C::None}};
  for (const auto& c : chars) {
    SCOPED_TRACE(static_cast<unsigned>(c.c));
    EXPECT_EQ(ClipboardCharCommand(c.c), c.expected);
  }
}

}  // namespace
