// Reading the clock costs about 0.1 us under Wine, as much as a short password: the pacer reads it
// only after as many calls as fill an eighth of a millisecond.
#include "toolkit/pass_pacer.h"

#include <algorithm>

TPassPacer::TPassPacer(std::int64_t ticks_per_ms) noexcept : ticks_per_ms_(std::max<std::int64_t>(ticks_per_ms, 1)) {}

bool TPassPacer::PassDue(std::int64_t now, std::int64_t last_pass) noexcept {
  const std::int64_t step = std::max<std::int64_t>(ticks_per_ms_ / 8, 1);
  const std::int64_t took = now - last_reading_;
  // Fewer calls at once when they took longer than a step, at most twice as many when shorter.
  std::uint64_t calls = 2 * std::uint64_t{calls_per_reading_};
  if (took > 0) {
    calls = std::min(calls, calls_per_reading_ * static_cast<std::uint64_t>(step) / static_cast<std::uint64_t>(took));
  }
  calls_per_reading_ = calls_left_ = static_cast<std::uint32_t>(std::clamp<std::uint64_t>(calls, 1, kMaxCallsPerReading));
  last_reading_ = now;
  return now - last_pass >= ticks_per_ms_;
}

void TPassPacer::Reset(std::int64_t now) noexcept {
  last_reading_ = now;
  calls_per_reading_ = calls_left_ = 1;
}

void TPassStatistics::Reset(std::int64_t now) noexcept {
  last_pass_ = now;
  passes_ = 0;
  longest_gap_ = longest_pass_ = 0;
}

void TPassStatistics::Record(std::int64_t start, std::int64_t end) noexcept {
  longest_gap_ = std::max(longest_gap_, end - last_pass_);
  longest_pass_ = std::max(longest_pass_, end - start);
  last_pass_ = end;
  ++passes_;
}
