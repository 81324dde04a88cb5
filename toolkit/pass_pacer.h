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
