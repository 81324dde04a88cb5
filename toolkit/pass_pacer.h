// When a long command's message passes are due: the clock is read about every eighth of a
// millisecond of the caller's time, whatever one of its steps costs, and a pass is due once a
// millisecond has gone by since the last one.
#pragma once

#include <cstdint>

// Times are clock ticks of the caller's clock; ticks_per_ms of them make a millisecond.
class TPassPacer {
public:
  // The most calls let go by between two readings of the clock.
  static constexpr std::uint32_t kMaxCallsPerReading = 32;

  explicit TPassPacer(std::int64_t ticks_per_ms) noexcept;

  // Counts one step of the caller; true when this one should read the clock and ask PassDue.
  bool Count() noexcept { return --calls_left_ == 0; }
  // With the clock read now and the end of the last pass: learns how many calls to let go by
  // before the next reading (as many as took a step's time before, at most twice as many as last
  // time, between 1 and kMaxCallsPerReading) and tells whether a pass is due.
  bool PassDue(std::int64_t now, std::int64_t last_pass) noexcept;
  // A pass ended at pass_end: its own time is none of the caller's steps.
  void PassMade(std::int64_t pass_end) noexcept { last_reading_ = pass_end; }
  // Forgets what it learnt of the caller: the next call reads the clock.
  void Reset(std::int64_t now) noexcept;

  std::uint32_t CallsPerReading() const noexcept { return calls_per_reading_; }

private:
  std::int64_t ticks_per_ms_;
  std::int64_t last_reading_ = 0;
  std::uint32_t calls_per_reading_ = 1;
  std::uint32_t calls_left_ = 1;
};

// What the message passes of a long command cost, in clock ticks: how many there were, the longest
// time from the end of one pass to the end of the next, and the longest pass itself.
class TPassStatistics {
public:
  // Forgets the passes before now; the next gap counts from now.
  void Reset(std::int64_t now) noexcept;
  // A pass ran from start to end.
  void Record(std::int64_t start, std::int64_t end) noexcept;

  std::uint64_t Passes() const noexcept { return passes_; }
  std::int64_t LongestGap() const noexcept { return longest_gap_; }
  std::int64_t LongestPass() const noexcept { return longest_pass_; }
  // The end of the last pass, or the time of the reset when none ran since.
  std::int64_t LastPass() const noexcept { return last_pass_; }

private:
  std::int64_t last_pass_ = 0;
  std::uint64_t passes_ = 0;
  std::int64_t longest_gap_ = 0;
  std::int64_t longest_pass_ = 0;
};

