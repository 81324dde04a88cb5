// Where a form is placed when first shown, and what each dialog key does in every state of the
// modifiers, the focus and the focused control's dialog code.
#include <gtest/gtest.h>

#include "toolkit/form_rules.h"

namespace {

TEST(FormRules, PlacesCentredAndInsideTheBounds) {
  struct Case {
    const char* what;
    TBox area, bounds;
    std::int32_t width, height;
    TPlace expected;
  };
  const TBox screen{0, 0, 1280, 1024};
  const Case cases[] = {
      {"centred on the screen", screen, screen, 480, 200, {400, 412}},
      {"an odd remainder rounds toward the top left", screen, screen, 481, 201, {399, 411}},
      {"centred on a window", {100, 100, 300, 200}, screen, 100, 50, {150, 125}},
      {"over the left edge: moved right", {-50, 100, 50, 200}, screen, 200, 50, {0, 125}},
      {"over the right and bottom edges: moved in", {1200, 1000, 1280, 1024}, screen, 200, 100, {1080, 924}},
      {"wider and taller than the bounds: their top left", screen, screen, 1500, 1100, {0, 0}},
      {"on a second monitor left of the first", {-1920, 0, 0, 1080}, {-1920, 0, 0, 1080}, 400, 200, {-1160, 440}},
  };
  for (const Case& c : cases) {
    const TPlace at = CenteredPlace(c.area, c.bounds, c.width, c.height);
    EXPECT_EQ(at.x, c.expected.x) << c.what;
    EXPECT_EQ(at.y, c.expected.y) << c.what;
  }
}

TEST(FormRules, EachPositionCentresOnItsAreaAndKeepsInsideItsBounds) {
  const TBox primary{0, 0, 1280, 1024}, desktop{-1920, -200, 1280, 1024}, main{-1500, 100, -900, 400},
             work{-1920, 0, 0, 1040};
  TScreens alone{primary, desktop, std::nullopt, {}}, beside_main{primary, desktop, main, work};
  struct Case {
    TPosition position;
    const TScreens& screens;
    TBox area, bounds;
  };
  const Case cases[] = {
      {TPosition::ScreenCenter, beside_main, primary, primary},
      {TPosition::MainFormCenter, beside_main, main, work},
      {TPosition::MainFormCenter, alone, primary, primary},
      {TPosition::DesktopCenter, beside_main, desktop, desktop},
  };
  for (const Case& c : cases) {
    const TPlacement p = PlacementFor(c.position, c.screens);
    const TBox got[] = {p.area, p.bounds}, expected[] = {c.area, c.bounds};
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(got[i].left, expected[i].left) << static_cast<int>(c.position) << ' ' << i;
      EXPECT_EQ(got[i].top, expected[i].top) << static_cast<int>(c.position) << ' ' << i;
      EXPECT_EQ(got[i].right, expected[i].right) << static_cast<int>(c.position) << ' ' << i;
      EXPECT_EQ(got[i].bottom, expected[i].bottom) << static_cast<int>(c.position) << ' ' << i;
    }
  }
}

TEST(FormRules, TheSaveDialogStandsCentredAcrossAThirdDownAndNeverAboveTheMonitor) {
  struct Case {
    TBox monitor;
    std::int32_t width, height;
    TPlace expected;
  };
  const Case cases[] = {
      {{100, 50, 1100, 950}, 401, 301, {100 + 599 / 2, 50 + 599 / 3}},
      {{-1920, 0, 0, 1080}, 600, 480, {-1260, 200}},
      {{0, 0, 800, 600}, 900, 700, {0, 0}},  // larger than the monitor: its caption stays on it
  };
  for (const Case& c : cases) {
    const TPlace at = SaveDialogPlace(c.monitor, c.width, c.height);
    EXPECT_EQ(at.x, c.expected.x) << c.monitor.left;
    EXPECT_EQ(at.y, c.expected.y) << c.monitor.left;
  }
}

TEST(FormRules, DialogKeys) {
  using enum TDialogKey;
  using A = TDialogAction;
  struct Case {
    TDialogKey key;
    TDialogKeyState state;
    TDialogAction expected;
  };
  const TDialogKeyState in{.focus_inside = true};
  auto with = [&](auto change) {
    TDialogKeyState s = in;
    change(s);
    return s;
  };
  const Case cases[] = {
      {Tab, in, A::TabNext},
      {Tab, with([](auto& s) { s.shift = true; }), A::TabPrevious},
      {Tab, with([](auto& s) { s.wants_tab = true; }), A::PassOn},
      {Tab, with([](auto& s) { s.wants_all_keys = true; }), A::PassOn},
      {Tab, with([](auto& s) { s.ctrl_or_alt = true; }), A::PassOn},
      {Tab, {}, A::FocusFirst},  // the focus outside the form's controls
      {Tab, {.shift = true}, A::FocusFirst},
      {Return, {}, A::PassOn},
      {Escape, {}, A::PassOn},
      {Left, {}, A::PassOn},
      {Return, in, A::Swallow},
      {Return, with([](auto& s) { s.is_button = true; }), A::Click},
      {Return, with([](auto& s) { s.is_button = true, s.ctrl_or_alt = true; }), A::PassOn},
      {Return, with([](auto& s) { s.is_button = true, s.wants_all_keys = true; }), A::PassOn},
      {Escape, in, A::Swallow},
      {Escape, with([](auto& s) { s.wants_arrows = true, s.wants_tab = true; }), A::Swallow},
      {Left, in, A::ArrowPrevious},
      {Up, in, A::ArrowPrevious},
      {Right, in, A::ArrowNext},
      {Down, in, A::ArrowNext},
      {Down, with([](auto& s) { s.shift = true; }), A::ArrowNext},
      {Up, with([](auto& s) { s.wants_arrows = true; }), A::PassOn},
      {Right, with([](auto& s) { s.wants_tab = true; }), A::ArrowNext},
      {Left, with([](auto& s) { s.ctrl_or_alt = true; }), A::PassOn},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DialogKeyAction(c.key, c.state), c.expected) << "key " << static_cast<int>(c.key) << ", row "
                                                           << (&c - cases);
  }
  for (TDialogAction a : {A::TabNext, A::TabPrevious, A::ArrowNext, A::ArrowPrevious}) EXPECT_TRUE(ShowsFocusCues(a));
  for (TDialogAction a : {A::PassOn, A::FocusFirst, A::Click, A::Swallow}) EXPECT_FALSE(ShowsFocusCues(a));
}

}  // namespace
