// Scaling of the layouts to a dpi, the hit test of a box, and who acts on a wheel turn.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "toolkit/layout.h"
#include "toolkit/wheel_route.h"

namespace {

TEST(Layout, ScalesToTheNearestPixelWithHalvesAwayFromZero) {
  struct Case {
    int value;
    unsigned dpi;
    int expected;
  };
  const Case cases[] = {
      {0, 144, 0},    {1, 96, 1},     {1, 120, 1},      {1, 144, 2},    {-1, 144, -2},  {2, 120, 3},
      {-2, 120, -3},  {5, 120, 6},    {149, 144, 224},  {-149, 144, -224}, {11, 168, 19}, {420, 240, 1050},
      {1, 47, 0},     {1, 48, 1},     {-1, 48, -1},     {-1, 47, 0},    {2000000, 480, 10000000},
  };
  for (const Case& c : cases) EXPECT_EQ(ScaleTo(c.value, c.dpi), c.expected) << c.value << " at " << c.dpi;
}

#ifdef _WIN32
// The system's own scaling is the reference the layouts must agree with at every dpi a monitor
// offers.
TEST(Layout, ScalesAsTheSystemDoes) {
  for (const unsigned dpi : {72u, 96u, 108u, 120u, 144u, 168u, 192u, 216u, 240u, 288u, 336u, 384u, 480u}) {
    for (int value = -1500; value <= 1500; ++value) {
      ASSERT_EQ(ScaleTo(value, dpi), ::MulDiv(value, static_cast<int>(dpi), 96)) << value << " at " << dpi;
    }
  }
}

// The windowless controls' hit test must agree with the system's: edges, corners and outside.
TEST(Layout, ContainsAsTheSystemDoes) {
  const TBox box{-3, 5, 40, 17};
  const RECT r{box.left, box.top, box.right, box.bottom};
  for (int y = box.top - 2; y <= box.bottom + 1; ++y) {
    for (int x = box.left - 2; x <= box.right + 1; ++x) {
      ASSERT_EQ(Contains(box, {x, y}), ::PtInRect(&r, POINT{x, y}) != FALSE) << x << ',' << y;
    }
  }
}
#endif

TEST(Layout, NeighboursStayFlushAndTheEdgesBelongToOneBoxOnly) {
  const TRect96 left{10, 5, 75, 21}, right{85, 5, 22, 21};
  for (unsigned dpi = 96; dpi <= 480; dpi += 12) {
    const TBox a = ScaleBox(left, dpi), b = ScaleBox(right, dpi);
    EXPECT_EQ(a.right, b.left) << dpi;
    EXPECT_TRUE(Contains(b, {b.left, b.top})) << dpi;
    EXPECT_FALSE(Contains(a, {a.right, a.top})) << dpi;
    EXPECT_FALSE(Contains(a, {a.left, a.bottom})) << dpi;
    EXPECT_FALSE(Contains(a, {a.left - 1, a.top})) << dpi;
  }
}

TEST(Layout, WheelActions) {
  struct Case {
    TWheelRoute route;
    bool focused;
    TWheelAction expected;
  };
  const Case cases[] = {
      {TWheelRoute::Own, true, TWheelAction::Offer},      {TWheelRoute::Own, false, TWheelAction::Default},
      {TWheelRoute::ToFocus, true, TWheelAction::Offer},  {TWheelRoute::ToFocus, false, TWheelAction::Drop},
      {TWheelRoute::Handed, true, TWheelAction::Drop},    {TWheelRoute::Handed, false, TWheelAction::Drop},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WheelActionFor(c.route, c.focused), c.expected) << static_cast<int>(c.route) << ' ' << c.focused;
  }
}

}  // namespace
