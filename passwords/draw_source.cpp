// Several numbers are drawn from one 64-bit word, in the batch size that spends the fewest
// random bytes; a word that would bias a number is rejected whole.
#include "passwords/draw_source.h"

#include <bit>
#include <cstring>
#include <stdexcept>

#include "passwords/random.h"
#include "toolkit/secure_wipe.h"

namespace {

// The high 64 bits of x * r; low receives the low 64 bits. Two 32-bit products, so no 128-bit
// type is needed.
std::uint64_t MulHigh(std::uint64_t x, std::uint32_t r, std::uint64_t& low) noexcept {
  const std::uint64_t a = (x & 0xFFFFFFFFu) * r;
  const std::uint64_t t = (x >> 32) * r + (a >> 32);
  low = (t << 32) | (a & 0xFFFFFFFFu);
  return t >> 32;
}

struct TBatch {
  unsigned size;
  std::uint64_t threshold;  // 2^64 mod range^size: words whose last remainder is below it are rejected
};

// The batch size that spends the fewest random bytes per number: 8 / (k * (1 - t / 2^64)) for k
// numbers a word and the threshold t of range^k. A range of 0 has no numbers: its threshold would
// be a remainder of a division by zero.
TBatch PlanBatch(std::uint32_t range) {
  if (range == 0) throw std::invalid_argument("a draw needs a range of at least 1");
  TBatch best{1, 0};
  double best_cost = 0;
  std::uint64_t power = 1;  // range^(k - 1)
  for (unsigned k = 1; k <= TUnbiasedDrawSource::kMaxBatch; ++k) {
    std::uint64_t low;
    const std::uint64_t high = MulHigh(power, range, low);
    if (high > 1 || (high == 1 && low != 0)) break;  // range^k is beyond 2^64
    // 2^64 mod range^k, as (2^64 - range^k) mod range^k; nothing is rejected when range^k is 2^64.
    const std::uint64_t threshold = high == 1 ? 0 : (0 - low) % low;
    const double cost = 8.0 / (k * (1.0 - static_cast<double>(threshold) / 18446744073709551616.0));
    if (k == 1 || cost < best_cost) {
      best = {k, threshold};
      best_cost = cost;
    }
    if (high == 1) break;
    power = low;
  }
  return best;
}

}  // namespace

void TLcgDrawSource::DrawMany(std::uint32_t range, std::span<std::uint32_t> out) {
  for (auto& v : out) {
    v = DrawRandom(static_cast<std::int32_t>(range));
  }
}

unsigned TUnbiasedDrawSource::BatchSize(std::uint32_t range) { return PlanBatch(range).size; }

void TUnbiasedDrawSource::SetRange(std::uint32_t range) {
  const TBatch batch = PlanBatch(range);
  range_ = range;
  batch_size_ = batch.size;
  threshold_ = batch.threshold;
  // Numbers drawn for another range are of no use.
  SecureWipe(batch_, sizeof batch_);
  handed_ = batch_size_;
}

inline std::uint64_t TUnbiasedDrawSource::NextWord() {
  if (next_ == kBlockBytes) {
    Refill(block_);
    next_ = 0;
  }
  const std::uint8_t* b = block_ + next_;
  next_ += 8;
  std::uint64_t word = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&word, b, sizeof word);
  } else {
    for (int i = 7; i >= 0; --i) word = (word << 8) | b[i];  // low byte first
  }
  return word;
}

void TUnbiasedDrawSource::DrawBatch(std::uint32_t* to) {
  // In locals: the compiler cannot tell that the stores to to leave the members alone.
  const std::uint32_t range = range_;
  const unsigned size = batch_size_;
  const std::uint64_t threshold = threshold_;
  for (;;) {
    std::uint64_t x = NextWord();
    for (unsigned i = 0; i < size; ++i) {
      to[i] = static_cast<std::uint32_t>(MulHigh(x, range, x));
    }
    if (x >= threshold) return;
  }
}

void TUnbiasedDrawSource::DrawMany(std::uint32_t range, std::span<std::uint32_t> out) {
  // The first range_ is 0 too: without the plan's check a fresh source would hand out zeros.
  if (range != range_ || range == 0) SetRange(range);
  std::uint32_t* to = out.data();
  std::size_t left = out.size();
  while (left != 0) {
    if (handed_ == batch_size_) {
      if (left >= batch_size_) {
        // Whole words go straight to out.
        DrawBatch(to);
        to += batch_size_;
        left -= batch_size_;
        continue;
      }
      DrawBatch(batch_);
      handed_ = 0;
    }
    const std::size_t n = left < batch_size_ - handed_ ? left : batch_size_ - handed_;
    std::memcpy(to, batch_ + handed_, n * sizeof *to);
    handed_ += static_cast<unsigned>(n);
    to += n;
    left -= n;
  }
}

void TUnbiasedDrawSource::Wipe() noexcept {
  SecureWipe(block_, sizeof block_);
  SecureWipe(batch_, sizeof batch_);
  next_ = kBlockBytes;
  handed_ = batch_size_;
}
