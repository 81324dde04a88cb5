// Sources of uniformly distributed numbers for the password generator.
#include "passwords/draw_source.h"

#include <cstring>

#include "passwords/random.h"
#include "toolkit/secure_wipe.h"

void LcgDrawSource::DrawMany(std::uint32_t range, std::span<std::uint32_t> out) {
  for (auto& v : out) {
    v = DrawRandom(static_cast<std::int32_t>(range));
  }
}

unsigned UnbiasedDrawSource::WordBits(std::uint32_t range) {
  // Expected bytes per result: (w / 8) / (1 - (2^w mod range) / 2^w), compared without division
  // as (w / 8) * 2^w / (2^w - 2^w mod range).
  unsigned best = 32;
  double best_cost = 4.0 * 4294967296.0 / (4294967296.0 - static_cast<double>((0x100000000ull) % range));
  for (unsigned bits : {8u, 16u}) {
    const std::uint64_t span = 1ull << bits;
    if (range > span) continue;
    const double cost = (bits / 8.0) * static_cast<double>(span) / static_cast<double>(span - span % range);
    if (cost < best_cost) {
      best = bits;
      best_cost = cost;
    }
  }
  return best;
}

template <unsigned Bits>
std::uint32_t UnbiasedDrawSource::NextWord() {
  constexpr std::size_t kBytes = Bits / 8;
  if (next_ + kBytes > kBlockBytes) {
    Refill(block_);
    next_ = 0;
  }
  std::uint32_t word = 0;
  std::memcpy(&word, block_ + next_, kBytes);
  next_ += kBytes;
  return word;
}

template <unsigned Bits>
void UnbiasedDrawSource::DrawWith(std::uint32_t range, std::span<std::uint32_t> out) {
  constexpr std::uint64_t kLowMask = (1ull << Bits) - 1;
  const std::uint64_t threshold = threshold_;
  for (auto& v : out) {
    std::uint64_t m = std::uint64_t(NextWord<Bits>()) * range;
    while ((m & kLowMask) < threshold) {
      m = std::uint64_t(NextWord<Bits>()) * range;
    }
    v = static_cast<std::uint32_t>(m >> Bits);
  }
}

void UnbiasedDrawSource::DrawMany(std::uint32_t range, std::span<std::uint32_t> out) {
  if (range != range_) {
    range_ = range;
    bits_ = WordBits(range);
    threshold_ = (1ull << bits_) % range;  // 2^bits mod range
  }
  switch (bits_) {
    case 8: return DrawWith<8>(range, out);
    case 16: return DrawWith<16>(range, out);
    default: return DrawWith<32>(range, out);
  }
}

void UnbiasedDrawSource::Wipe() noexcept {
  SecureWipe(block_, sizeof block_);
  next_ = kBlockBytes;
}
