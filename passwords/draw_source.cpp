// Sources of uniformly distributed numbers for the password generator.
#include "passwords/draw_source.h"

#include "passwords/random.h"

void LcgDrawSource::DrawMany(std::uint32_t range, std::span<std::uint32_t> out) {
  for (auto& v : out) {
    v = DrawRandom(static_cast<std::int32_t>(range));
  }
}

std::uint32_t UnbiasedDrawSource::NextWord() {
  if (next_ == kBlockWords) {
    Refill(block_);
    next_ = 0;
  }
  return block_[next_++];
}

void UnbiasedDrawSource::DrawMany(std::uint32_t range, std::span<std::uint32_t> out) {
  // 2^32 mod range: the number of low products to reject so every result has equal weight.
  const std::uint32_t threshold = static_cast<std::uint32_t>(-range) % range;
  for (auto& v : out) {
    std::uint64_t m = std::uint64_t(NextWord()) * range;
    while (static_cast<std::uint32_t>(m) < threshold) {
      m = std::uint64_t(NextWord()) * range;
    }
    v = static_cast<std::uint32_t>(m >> 32);
  }
}
