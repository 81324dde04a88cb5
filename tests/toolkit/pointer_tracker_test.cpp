// A sequence of pointer events over two windowless controls, with whom each one concerns and
// which control is hot and held after it.
#include <gtest/gtest.h>

#include "toolkit/pointer_tracker.h"

namespace {

struct TControl {
  char name;
};

TEST(PointerTracker, EachEventConcernsTheRightControls) {
  TControl a{'a'}, b{'b'};
  TPointerTracker<TControl> t;
  enum class TEvent { Move, Leave, Press, EndPress, Forget };
  struct Step {
    TEvent event;
    TControl* at;
    TControl *left, *entered;  // for moves and leaves
    bool press_began;           // for presses
    TControl* ended;            // for ends of a press
    TControl *hot, *pressed;    // after the step
  };
  const Step steps[] = {
      {TEvent::Move, &a, nullptr, &a, false, nullptr, &a, nullptr},
      {TEvent::Move, &a, nullptr, nullptr, false, nullptr, &a, nullptr},  // still over a: nothing
      {TEvent::Press, &a, nullptr, nullptr, true, nullptr, &a, &a},
      {TEvent::Move, &b, &a, &b, false, nullptr, &b, &a},                  // held a, moved onto b
      {TEvent::Press, &b, nullptr, nullptr, false, nullptr, &b, &a},       // a second press while held
      {TEvent::EndPress, nullptr, nullptr, nullptr, false, &a, &b, nullptr},
      {TEvent::EndPress, nullptr, nullptr, nullptr, false, nullptr, &b, nullptr},
      {TEvent::Press, nullptr, nullptr, nullptr, false, nullptr, &b, nullptr},  // over no control
      {TEvent::Leave, nullptr, &b, nullptr, false, nullptr, nullptr, nullptr},
      {TEvent::Leave, nullptr, nullptr, nullptr, false, nullptr, nullptr, nullptr},
      {TEvent::Move, &b, nullptr, &b, false, nullptr, &b, nullptr},
      {TEvent::Press, &b, nullptr, nullptr, true, nullptr, &b, &b},
      {TEvent::Forget, &b, nullptr, nullptr, false, nullptr, nullptr, nullptr},  // b goes away, unasked
      {TEvent::Move, &a, nullptr, &a, false, nullptr, &a, nullptr},
  };
  int i = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(i++);
    switch (s.event) {
      case TEvent::Move:
      case TEvent::Leave: {
        const auto change = s.event == TEvent::Move ? t.MoveTo(s.at) : t.Leave();
        EXPECT_EQ(change.left, s.left);
        EXPECT_EQ(change.entered, s.entered);
        break;
      }
      case TEvent::Press:
        EXPECT_EQ(t.Press(s.at), s.press_began);
        break;
      case TEvent::EndPress:
        EXPECT_EQ(t.EndPress(), s.ended);
        break;
      case TEvent::Forget:
        t.Forget(s.at);
        break;
    }
    EXPECT_EQ(t.Hot(), s.hot);
    EXPECT_EQ(t.Pressed(), s.pressed);
  }
}

}  // namespace
