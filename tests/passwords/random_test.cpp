// The linear congruential generator against its published vectors.
#include <gtest/gtest.h>

#include <vector>

#include "passwords/random.h"

namespace {

std::vector<std::uint32_t> Draws(std::uint32_t state, std::int32_t range, int n) {
  RandomState = state;
  std::vector<std::uint32_t> out;
  for (int i = 0; i < n; ++i) {
    out.push_back(DrawRandom(range));
  }
  return out;
}

TEST(DrawRandom, StatesFromZero) {
  RandomState = 0;
  const std::uint32_t expected[] = {1u, 134775814u, 3698175007u, 870078620u, 1172187917u, 2884733762u};
  for (auto state : expected) {
    DrawRandom(62);
    EXPECT_EQ(RandomState, state);
  }
}

TEST(DrawRandom, VectorsFromZero) {
  struct Case {
    std::int32_t range;
    std::vector<std::uint32_t> draws;
  };
  const Case cases[] = {
      {62, {0, 1, 53, 12, 16, 41}},
      {5, {0, 0, 4, 1, 1, 3}},
      {1, {0, 0, 0, 0, 0, 0}},
      {0, {0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.range);
    EXPECT_EQ(Draws(0, c.range, 6), c.draws);
  }
}

TEST(DrawRandom, RangeZeroStillAdvances) {
  RandomState = 0;
  DrawRandom(0);
  EXPECT_EQ(RandomState, 1u);
}

TEST(DrawRandom, TakesTheHighBitsOfTheProduct) {
  // The state after one step from 0xFFFFFFFF: 0xFFFFFFFF * 134775813 + 1 = 0xF7F77BFC (mod 2^32).
  RandomState = 0xFFFFFFFFu;
  EXPECT_EQ(DrawRandom(0x7FFFFFFF), static_cast<std::uint32_t>((0x7FFFFFFFull * 0xF7F77BFCull) >> 32));
  EXPECT_EQ(RandomState, 0xF7F77BFCu);
}

}  // namespace
