// The drawing core proven on narrow words, where every state and every random input can be
// walked: each draw hands out a uniform group independent of the state it leaves, which is
// uniform again, and each group splits into its base-range digits.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "passwords/uniform_digits.h"

namespace {

// Base-range digits of value by division, the most significant first.
template <class TWord>
std::vector<TWord> Digits(TWord value, TWord range, unsigned count) {
  std::vector<TWord> digits(count);
  for (unsigned i = count; i-- > 0;) {
    digits[i] = TWord(value % range);
    value = TWord(value / range);
  }
  return digits;
}

// Splits every group of every range the plan allows on kBits-bit words and compares the digits
// with those of division.
template <class TWord, unsigned kBits>
void SplitEveryGroup(TWord largest_range) {
  using TPlan = TDigitPlan<TWord, kBits>;
  for (TWord range = 2; range <= largest_range; ++range) {
    const TPlan plan = TPlan::For(range);
    ASSERT_GE(plan.count, 1u);
    std::vector<TWord> digits(plan.count);
    for (TWord value = 0; value < plan.group; ++value) {
      plan.Split(value, digits.data());
      ASSERT_EQ(digits, Digits(value, range, plan.count)) << "range " << range << ", group " << value;
    }
  }
}

TEST(TDigitPlan, SplitsEveryGroupOfNarrowWords) {
  SplitEveryGroup<std::uint16_t, 12>(64);
  SplitEveryGroup<std::uint16_t, 16>(256);
  SplitEveryGroup<std::uint32_t, 20>(1024);
}

TEST(TDigitPlan, TakesTheMostDigitsTheProductsAllow) {
  using TPlan = TDigitPlan<std::uint64_t, 64>;
  struct Case {
    std::uint64_t range;
    unsigned count, shift;
  };
  const Case cases[] = {
      {2, 31, 61},  // 2^32 would need 2^63 * 2 + 2^32 beyond 2^64
      {3, 20, 62}, {10, 9, 57}, {26, 6, 52}, {62, 5, 54}, {94, 4, 46}, {95, 4, 46},
      {255, 4, 56}, {256, 3, 40}, {257, 3, 41}, {1000, 3, 50}, {65535, 2, 48},
      {65536, 1, 0},  // a digit alone: its group needs no split
      {0xFFFFFFFFu, 1, 0},
      {std::uint64_t{1} << 32, 1, 0},  // the largest range: its square is 2^64 already
  };
  for (const auto& c : cases) {
    const TPlan plan = TPlan::For(c.range);
    EXPECT_EQ(plan.count, c.count) << c.range;
    EXPECT_EQ(plan.shift, c.shift) << c.range;
  }
  EXPECT_THROW(TPlan::For(1), std::invalid_argument);
  EXPECT_THROW(TPlan::For(0), std::invalid_argument);
  EXPECT_THROW((TDigitPlan<std::uint16_t, 12>::For(65)), std::invalid_argument);
}

TEST(TDigitPlan, SplitsTheEdgesOf64BitGroups) {
  using TPlan = TDigitPlan<std::uint64_t, 64>;
  for (const std::uint64_t range : {2ull, 3ull, 10ull, 62ull, 63ull, 94ull, 95ull, 255ull, 256ull, 257ull, 1000ull,
                                    65535ull, 65536ull, 0x7FFFFFFFull, 0x80000001ull}) {
    const TPlan plan = TPlan::For(range);
    std::vector<std::uint64_t> values;
    // Where a digit turns over the scale's rounding error is largest: around every multiple of
    // range^j, up to the group's end.
    for (std::uint64_t power = 1; power < plan.group; power *= range) {
      for (std::uint64_t multiple = power; multiple < plan.group; multiple += multiple / 3 + power) {
        values.insert(values.end(), {multiple - 1, multiple});
      }
    }
    values.push_back(plan.group - 1);
    std::vector<std::uint64_t> digits(plan.count);
    for (const std::uint64_t value : values) {
      plan.Split(value, digits.data());
      ASSERT_EQ(digits, Digits(value, range, plan.count)) << "range " << range << ", group " << value;
    }
  }
}

// One refill and one draw from every state of kBits-bit words (every bound m, every value below
// it) with every random input the refill takes: together the value and the input are every
// number below the refilled bound M once. Then a uniform state must become, for the drawn
// groups, every pair (group, rest) below (n, M / n) once, and for the states left without a
// group every rest below M mod n once: the group is uniform and independent of the rest, and the
// rest is uniform below its new bound.
template <class TWord, unsigned kBits, unsigned kUnitBits>
void DrawFromEveryState(TWord n) {
  using TBits = TRecycledBits<TWord, kBits, kUnitBits>;
  const TWord top = TWordMath<TWord, kBits>::kMask;
  std::vector<unsigned> drawn, left;
  for (TWord m = 1; m != 0 && m <= top; m = TWord(m + 1)) {
    TBits probe;
    probe.Set(0, m);
    const unsigned units = probe.UnitsWanted();
    const unsigned bits = units * kUnitBits;
    const std::uint64_t refilled = std::uint64_t{m} << bits;
    ASSERT_GE(refilled, std::uint64_t{1} << (kBits - kUnitBits)) << "the refill leaves room: m " << m;
    ASSERT_LE(refilled, std::uint64_t{top} + 1) << "m " << m;
    const std::uint64_t quotient = refilled / n, accepted = quotient * n;
    drawn.assign(static_cast<std::size_t>(accepted), 0);
    left.assign(static_cast<std::size_t>(refilled - accepted), 0);
    for (std::uint64_t x = 0; x < refilled; ++x) {
      TBits state;
      state.Set(TWord(x >> bits), m);
      state.Refill(units, TWord(x & ((std::uint64_t{1} << bits) - 1)));
      ASSERT_EQ(state.UnitsWanted(), 0u);
      TWord group = 0;
      if (state.Draw(n, group)) {
        ASSERT_EQ(state.Bound(), quotient);
        ASSERT_LT(group, n);
        ASSERT_LT(state.Value(), quotient);
        ++drawn[static_cast<std::size_t>(group * quotient + state.Value())];
      } else {
        ASSERT_EQ(state.Bound(), refilled - accepted);
        ASSERT_LT(state.Value(), state.Bound());
        ++left[static_cast<std::size_t>(state.Value())];
      }
    }
    for (const unsigned hits : drawn) ASSERT_EQ(hits, 1u) << "m " << m << ", n " << n;
    for (const unsigned hits : left) ASSERT_EQ(hits, 1u) << "m " << m << ", n " << n;
  }
}

TEST(TRecycledBits, EveryStateOf12BitWordsDrawsUniformGroupsAndStaysUniform) {
  // 4-bit units, so that a bound of 2^8 to 2^12 is where groups are drawn: groups up to 2^8,
  // drawn often enough without one to walk that way as well.
  for (const std::uint16_t n : {1, 2, 3, 10, 26, 62, 63, 64, 100, 255, 256}) {
    SCOPED_TRACE(n);
    DrawFromEveryState<std::uint16_t, 12, 4>(n);
  }
}

TEST(TRecycledBits, EveryStateOf8BitWordsWithBitUnits) {
  for (std::uint8_t n = 1; n <= 128; ++n) {
    SCOPED_TRACE(n);
    DrawFromEveryState<std::uint8_t, 8, 1>(n);
  }
}

TEST(TRecycledBits, RefillsAsManyUnitsAsTheBoundHasRoomFor) {
  using TBits = TRecycledBits<std::uint64_t, 64, 8>;
  struct Case {
    std::uint64_t bound;
    unsigned units;
  };
  const Case cases[] = {
      {1, 7},  // a fresh or cleared state: seven bytes, the bound 2^56
      {255, 7},
      {256, 6},
      {(std::uint64_t{1} << 56) - 1, 1},
      {std::uint64_t{1} << 56, 0},
      {~std::uint64_t{0}, 0},
  };
  for (const auto& c : cases) {
    TBits bits;
    bits.Set(0, c.bound);
    EXPECT_EQ(bits.UnitsWanted(), c.units) << c.bound;
  }
  TBits bits;
  bits.Set(0x12, 0x80);
  bits.Refill(2, 0x3456);
  EXPECT_EQ(bits.Value(), 0x123456u);
  EXPECT_EQ(bits.Bound(), 0x800000u);
  bits.Clear();
  EXPECT_EQ(bits.Value(), 0u);
  EXPECT_EQ(bits.Bound(), 1u);
}

}  // namespace
