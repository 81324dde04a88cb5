// What the look shows in each section: legible text, a visible focus, and in high contrast the
// system's colours in their roles.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "toolkit/skin_colors.h"

namespace {

constexpr TSkinSection kSections[] = {TSkinSection::Form,  TSkinSection::Edit,     TSkinSection::Button,
                                      TSkinSection::Panel, TSkinSection::GroupBox, TSkinSection::SpeedButtonSmall};

TEST(SkinColors, TextAndDisabledTextStandOutAndAFocusedControlShowsIt) {
  for (const TSkinSection section : kSections) {
    const TSkinColors c = LightSkin(section);
    const int s = static_cast<int>(section);
    EXPECT_NE(c.text, c.face) << s;
    EXPECT_NE(c.disabled_text, c.face) << s;
    EXPECT_NE(c.disabled_text, c.text) << s;
  }
  for (const TSkinSection focusable : {TSkinSection::Edit, TSkinSection::Button, TSkinSection::SpeedButtonSmall}) {
    const TSkinColors c = LightSkin(focusable);
    EXPECT_NE(c.focus_border, c.border) << static_cast<int>(focusable);
    EXPECT_NE(c.focus_border, c.face) << static_cast<int>(focusable);
  }
  for (const TSkinSection pressable : {TSkinSection::Button, TSkinSection::SpeedButtonSmall}) {
    const TSkinColors c = LightSkin(pressable);
    EXPECT_NE(c.hot_face, c.face) << static_cast<int>(pressable);
    EXPECT_NE(c.pressed_face, c.hot_face) << static_cast<int>(pressable) << ": held down looks like hovered";
  }
}

TEST(SkinColors, HighContrastPutsTheSystemsColoursInTheirRoles) {
  const TSystemColors system{1, 2, 3, 4, 5, 6, 7};  // window, window text, button face, button text, hot, highlight, grey
  struct Case {
    TSkinSection section;
    TSkinColors expected;  // face, border, text, hot face, hot border, pressed face, pressed border, focus, disabled
  };
  const Case cases[] = {
      {TSkinSection::Edit, {1, 2, 2, 1, 5, 1, 6, 6, 7}},
      {TSkinSection::Button, {3, 4, 4, 3, 5, 3, 6, 6, 7}},
      {TSkinSection::Form, {3, 4, 4, 3, 5, 3, 6, 6, 7}},
      {TSkinSection::Panel, {3, 4, 4, 3, 5, 3, 6, 6, 7}},
      {TSkinSection::GroupBox, {3, 4, 4, 3, 5, 3, 6, 6, 7}},
      {TSkinSection::SpeedButtonSmall, {3, 3, 4, 3, 5, 3, 6, 6, 7}},
  };
  for (const Case& c : cases) {
    const TSkinColors got = HighContrastSkin(c.section, system);
    const TColor g[] = {got.face,         got.border,         got.text,         got.hot_face,     got.hot_border,
                        got.pressed_face, got.pressed_border, got.focus_border, got.disabled_text};
    const TColor e[] = {c.expected.face,         c.expected.border,         c.expected.text,
                        c.expected.hot_face,     c.expected.hot_border,     c.expected.pressed_face,
                        c.expected.pressed_border, c.expected.focus_border, c.expected.disabled_text};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(g[i], e[i]) << "section " << static_cast<int>(c.section) << ", role " << i;
  }
}

#ifdef _WIN32
TEST(SkinColors, ColoursAreTheSystemsOwnValues) {
  EXPECT_EQ(Rgb(1, 2, 3), RGB(1, 2, 3));
  EXPECT_EQ(Rgb(255, 0, 128), RGB(255, 0, 128));
}
#endif

}  // namespace
