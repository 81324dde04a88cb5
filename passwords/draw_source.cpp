// Groups of numbers drawn from a state of recycled random bits, refilled a few bytes at a time from
// blocks of the source's bytes.
#include "passwords/draw_source.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

#include "passwords/random.h"
#include "toolkit/secure_wipe.h"

void TLcgDrawSource::DrawMany(std::uint32_t range, std::span<std::uint32_t> out) {
  for (auto& v : out) {
    v = DrawRandom(static_cast<std::int32_t>(range));
  }
}

unsigned TUnbiasedDrawSource::GroupSize(std::uint32_t range) {
  if (range == 0) throw std::invalid_argument("a draw needs a range of at least 1");
  return range == 1 ? 0 : TPlan::For(range).count;
}

static_assert(TDigitPlan<std::uint64_t, 64>::For(2).count == TUnbiasedDrawSource::kMaxGroup);

void TUnbiasedDrawSource::SetRange(std::uint32_t range) {
  // A range of 0 has no numbers; 1 has only 0, which takes no random bits and no plan.
  if (range == 0) throw std::invalid_argument("a draw needs a range of at least 1");
  if (range > 1) plan_ = TPlan::For(range);
  range_ = range;
  // Numbers drawn for another range are of no use; the state's bits serve every range.
  SecureWipe(group_, sizeof group_);
  handed_ = plan_.count;
}

inline std::uint64_t TUnbiasedDrawSource::TakeBytes(unsigned count) {
  if (kBlockBytes - next_ < count) {
    // The few bytes left go first, the refill after them.
    const std::size_t kept = kBlockBytes - next_;
    std::memmove(block_, block_ + next_, kept);
    // Until the refill has succeeded the block has no bytes to draw: a failed one may have left
    // anything in it.
    next_ = kBlockBytes;
    Refill(std::span<std::uint8_t>(block_ + kept, kBlockBytes - kept));
    next_ = 0;
  }
  const std::uint8_t* b = block_ + next_;
  next_ += count;
  std::uint64_t word = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&word, b, sizeof word);
  } else {
    for (int i = 7; i >= 0; --i) word = (word << 8) | b[i];  // low byte first
  }
  // count is at most 7: the shift stays below 64.
  return word & ((std::uint64_t{1} << (8 * count)) - 1);
}

inline void TUnbiasedDrawSource::DrawGroup(std::uint32_t* to) {
  std::uint64_t group;
  do {
    const unsigned units = bits_.UnitsWanted();
    bits_.Refill(units, TakeBytes(units));
  } while (!bits_.Draw(plan_.group, group));
  plan_.Split(group, to);
}

void TUnbiasedDrawSource::DrawMany(std::uint32_t range, std::span<std::uint32_t> out) {
  if (range != range_ || range == 0) SetRange(range);
  if (range == 1) {
    std::fill(out.begin(), out.end(), 0u);
    return;
  }
  std::uint32_t* to = out.data();
  std::size_t left = out.size();
  const unsigned count = plan_.count;
  while (left != 0) {
    if (handed_ == count) {
      if (left >= count) {
        // Whole groups go straight to out.
        DrawGroup(to);
        to += count;
        left -= count;
        continue;
      }
      DrawGroup(group_);
      handed_ = 0;
    }
    const std::size_t n = left < count - handed_ ? left : count - handed_;
    std::memcpy(to, group_ + handed_, n * sizeof *to);
    handed_ += static_cast<unsigned>(n);
    to += n;
    left -= n;
  }
}

void TUnbiasedDrawSource::Wipe() noexcept {
  SecureWipe(block_, sizeof block_);
  SecureWipe(group_, sizeof group_);
  bits_.Clear();
  next_ = kBlockBytes;
  handed_ = plan_.count;
}
