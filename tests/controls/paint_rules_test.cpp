// Where the skinned controls' parts stand and which colour set each state takes.
#include "controls/paint_rules.h"

#include <gtest/gtest.h>

#include <vector>

// Found by the test framework next to the type, so a failure shows the rectangle's edges.
void PrintTo(const TBox& r, std::ostream* os) {
  *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

TEST(SpinLayout, TheColumnStandsInsideTheBorderAndTheTextStopsBeforeIt) {
  const struct {
    int scaled, window_width, window_height, client_height;
    TBox column, text_with_column, text_alone;
  } cases[] = {
      // 96 dpi, the program's field: 18 px inside a 2 px border a side.
      {18, 121, 21, 17, {99, 0, 117, 17}, {0, 0, 100, 17}, {0, 0, 118, 17}},
      // 144 dpi: 27 px.
      {27, 182, 32, 28, {151, 0, 178, 28}, {0, 0, 152, 28}, {0, 0, 179, 28}},
      // Below 96 dpi the column keeps its minimum width.
      {12, 60, 16, 12, {41, 0, 56, 12}, {0, 0, 42, 12}, {0, 0, 57, 12}},
      // A window too small for its border or its column: nothing negative, the text one pixel wide.
      {18, 10, 3, 0, {-12, 0, 6, 0}, {0, 0, 1, 0}, {0, 0, 7, 0}},
      {18, 0, 0, 0, {-22, 0, -4, 0}, {0, 0, 1, 0}, {0, 0, 1, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.scaled << " " << c.window_width << "x" << c.window_height);
    const int column = SpinColumnWidth(c.scaled);
    EXPECT_EQ(SpinColumnPlace(c.window_width, c.window_height, column), c.column);
    EXPECT_EQ(SpinFormatRect(c.window_width, c.client_height, column), c.text_with_column);
    EXPECT_EQ(SpinFormatRect(c.window_width, c.client_height, 0), c.text_alone);
  }
}

TEST(SpinLayout, TheButtonsHalveTheColumnAndTheLowerTakesTheOddPixel) {
  const struct {
    int width, height;
    TBox up, down;
  } cases[] = {
      {18, 17, {0, 0, 18, 8}, {0, 8, 18, 17}},
      {18, 16, {0, 0, 18, 8}, {0, 8, 18, 16}},
      {15, 1, {0, 0, 15, 0}, {0, 0, 15, 1}},
      {15, 0, {0, 0, 15, 0}, {0, 0, 15, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    EXPECT_EQ(SpinButtonRect(c.width, c.height, true), c.up);
    EXPECT_EQ(SpinButtonRect(c.width, c.height, false), c.down);
  }
}

TEST(SpinLayout, TheArrowIsATriangleOfOnePixelRowsCentredInItsButton) {
  const struct {
    TBox bounds;
    int scaled_half;
    bool up, pressed;
    std::vector<TBox> rows;
  } cases[] = {
      // 96 dpi: four rows, one pixel wider on each side per row, the tip up or down.
      {{0, 0, 18, 8}, 3, true, false, {{8, 2, 9, 3}, {7, 3, 10, 4}, {6, 4, 11, 5}, {5, 5, 12, 6}}},
      {{0, 8, 18, 17}, 3, false, false, {{5, 10, 12, 11}, {6, 11, 11, 12}, {7, 12, 10, 13}, {8, 13, 9, 14}}},
      // Pressed: a pixel lower.
      {{0, 0, 18, 8}, 3, true, true, {{8, 3, 9, 4}, {7, 4, 10, 5}, {6, 5, 11, 6}, {5, 6, 12, 7}}},
      // Never fewer than three rows.
      {{0, 0, 15, 8}, 1, true, false, {{7, 2, 8, 3}, {6, 3, 9, 4}, {5, 4, 10, 5}}},
      {{10, 20, 40, 30}, 4, false, false,
       {{20, 22, 29, 23}, {21, 23, 28, 24}, {22, 24, 27, 25}, {23, 25, 26, 26}, {24, 26, 25, 27}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.scaled_half << (c.up ? " up" : " down") << (c.pressed ? " pressed" : ""));
    EXPECT_EQ(ArrowRows(c.bounds, c.scaled_half, c.up, c.pressed), c.rows);
  }
}

TEST(ButtonLayout, ImageAndCaptionAreCentredTogether) {
  const struct {
    TBox bounds;
    int image, gap, text;
    TButtonContent expected;
  } cases[] = {
      {{0, 0, 100, 40}, 32, 6, 40, {11, 4, 49}},
      {{0, 0, 100, 40}, 32, 0, 0, {34, 4, 66}},   // the image alone
      {{0, 0, 100, 40}, 0, 0, 40, {30, 20, 30}},  // the caption alone
      {{10, 10, 50, 30}, 32, 6, 40, {-9, 4, 29}},  // wider than the button: it overhangs both sides
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.image << " " << c.gap << " " << c.text);
    const TButtonContent got = ButtonContent(c.bounds, c.image, c.gap, c.text);
    EXPECT_EQ(got.image_left, c.expected.image_left);
    EXPECT_EQ(got.image_top, c.expected.image_top);
    EXPECT_EQ(got.text_left, c.expected.text_left);
  }
}

TEST(Looks, EachStateTakesItsColourSet) {
  using S = TSkinState;
  const struct {
    bool pressed, hot, focused, disabled, hide_focus_rect;
    S face, border;
    bool double_frame, focus_rect;
  } push_cases[] = {
      {false, false, false, false, false, S::Normal, S::Normal, false, false},
      {false, true, false, false, false, S::Hot, S::Hot, false, false},
      {false, false, true, false, false, S::Normal, S::Focused, true, true},
      {false, true, true, false, false, S::Hot, S::Focused, true, true},
      {false, false, true, false, true, S::Normal, S::Focused, true, false},
      {true, true, true, false, false, S::Pressed, S::Pressed, false, true},
      {true, false, false, false, false, S::Pressed, S::Pressed, false, false},
      // Disabled: no hot or focus colours, but held down still shows.
      {false, true, true, true, false, S::Normal, S::Normal, true, true},
      {true, false, false, true, false, S::Pressed, S::Pressed, false, false},
  };
  for (const auto& c : push_cases) {
    SCOPED_TRACE(testing::Message() << c.pressed << c.hot << c.focused << c.disabled << c.hide_focus_rect);
    const TButtonLook look = PushButtonLook(c.pressed, c.hot, c.focused, c.disabled, c.hide_focus_rect);
    EXPECT_EQ(look.face, c.face);
    EXPECT_EQ(look.border, c.border);
    EXPECT_EQ(look.double_frame, c.double_frame);
    EXPECT_EQ(look.disabled_text, c.disabled);
    EXPECT_EQ(look.focus_rect, c.focus_rect);
  }

  const struct {
    bool enabled, down, hot;
    S state;
  } speed_cases[] = {
      {true, false, false, S::Normal}, {true, false, true, S::Hot},     {true, true, true, S::Pressed},
      {true, true, false, S::Pressed}, {false, true, true, S::Normal}, {false, false, true, S::Normal},
  };
  for (const auto& c : speed_cases) {
    SCOPED_TRACE(testing::Message() << c.enabled << c.down << c.hot);
    const TButtonLook look = SpeedButtonLook(c.enabled, c.down, c.hot);
    EXPECT_EQ(look.face, c.state);
    EXPECT_EQ(look.border, c.state);
    EXPECT_EQ(look.disabled_text, !c.enabled);
  }

  const struct {
    bool focused, hot, enabled;
    S state;
  } edit_cases[] = {
      {false, false, true, S::Normal}, {false, true, true, S::Hot},     {true, true, true, S::Focused},
      {true, false, true, S::Focused}, {true, true, false, S::Normal}, {false, true, false, S::Normal},
  };
  for (const auto& c : edit_cases) {
    SCOPED_TRACE(testing::Message() << c.focused << c.hot << c.enabled);
    EXPECT_EQ(EditFrameState(c.focused, c.hot, c.enabled), c.state);
  }
}

}  // namespace

namespace {

TEST(PaintRules, EachStateTakesItsColoursAndAFocusedFaceStaysNormal) {
  const TSkinColors skin{1, 2, 3, 4, 5, 6, 7, 8, 9};  // face, border, text, hot, hot border, pressed, ..., focus
  struct Case {
    TSkinState state;
    TColor face, border;
  };
  const Case cases[] = {{TSkinState::Normal, 1, 2}, {TSkinState::Hot, 4, 5}, {TSkinState::Pressed, 6, 7},
                        {TSkinState::Focused, 1, 8}};
  for (const Case& c : cases) {
    EXPECT_EQ(FaceColor(skin, c.state), c.face) << static_cast<int>(c.state);
    EXPECT_EQ(BorderColor(skin, c.state), c.border) << static_cast<int>(c.state);
  }
}

}  // namespace
