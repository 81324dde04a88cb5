// The pacing of message passes in a long command, on a simulated clock of 1000 ticks a
// millisecond: for steps of every cost the clock is read about every eighth of a millisecond and
// no pass comes later than that after its millisecond.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "toolkit/pass_pacer.h"

namespace {

constexpr std::int64_t kTicksPerMs = 1000, kStep = kTicksPerMs / 8, kPassCost = 40;

TEST(PassPacer, ReadsTheClockEveryEighthOfAMillisecondAndPassesOnTime) {
  struct Case {
    std::int64_t step_cost;           // ticks one call of the caller takes
    std::uint32_t calls_per_reading;  // what the pacer settles on
  };
  const Case cases[] = {
      {1, 32}, {2, 32},  // cheap steps: at most 32 calls between readings
      {5, 25}, {10, 12}, {50, 2},
      {124, 1}, {125, 1}, {500, 1}, {5000, 1},  // a step of an eighth or more: every call reads
  };
  for (const Case& c : cases) {
    TPassPacer pacer(kTicksPerMs);
    std::int64_t clock = 0, last_pass = 0, longest_gap = 0, readings = 0, calls = 0;
    while (clock < 200 * kTicksPerMs) {
      clock += c.step_cost;
      ++calls;
      if (!pacer.Count()) continue;
      ++readings;
      if (pacer.PassDue(clock, last_pass)) {
        EXPECT_GE(clock - last_pass, kTicksPerMs) << "a pass before its millisecond, step " << c.step_cost;
        clock += kPassCost;
        longest_gap = std::max(longest_gap, clock - last_pass);
        last_pass = clock;
        pacer.PassMade(clock);
      }
    }
    EXPECT_EQ(pacer.CallsPerReading(), c.calls_per_reading) << "step " << c.step_cost;
    EXPECT_LE(longest_gap, kTicksPerMs + std::max(kStep, c.step_cost) + kPassCost) << "step " << c.step_cost;
    EXPECT_LE(readings, calls / c.calls_per_reading + 200) << "step " << c.step_cost;
  }
}

TEST(PassPacer, AResetForgetsTheCallerAndReadsAtTheNextCall) {
  TPassPacer pacer(kTicksPerMs);
  std::int64_t clock = 0;
  for (int i = 0; i < 1000; ++i) {
    if (pacer.Count()) pacer.PassDue(++clock, 0);
  }
  ASSERT_EQ(pacer.CallsPerReading(), TPassPacer::kMaxCallsPerReading);
  pacer.Reset(clock);
  EXPECT_EQ(pacer.CallsPerReading(), 1u);
  EXPECT_TRUE(pacer.Count());
  EXPECT_FALSE(pacer.PassDue(clock + kTicksPerMs - 1, clock)) << "due only once a whole millisecond has gone by";
  EXPECT_TRUE(pacer.PassDue(clock + kTicksPerMs, clock));
}

}  // namespace

namespace {

TEST(PassStatistics, KeepsTheLongestGapAndPassFromTheLastReset) {
  TPassStatistics s;
  s.Reset(100);
  struct Step {
    std::int64_t start, end;
    std::uint64_t passes;
    std::int64_t gap, pass;
  };
  const Step steps[] = {
      {150, 160, 1, 60, 10},  // the first gap counts from the reset
      {400, 401, 2, 241, 10},
      {402, 430, 3, 241, 28},
      {431, 432, 4, 241, 28},
  };
  for (const Step& step : steps) {
    s.Record(step.start, step.end);
    EXPECT_EQ(s.Passes(), step.passes);
    EXPECT_EQ(s.LongestGap(), step.gap) << step.end;
    EXPECT_EQ(s.LongestPass(), step.pass) << step.end;
    EXPECT_EQ(s.LastPass(), step.end);
  }
  s.Reset(1000);
  EXPECT_EQ(s.Passes(), 0u);
  EXPECT_EQ(s.LongestGap(), 0);
  s.Record(1001, 1002);
  EXPECT_EQ(s.LongestGap(), 2) << "a gap before the reset is forgotten";
}

}  // namespace
