// Exactly uniform digits below a range from a stream of random bits, spending hardly more than
// log2(range) bits a digit: a state that keeps the random bits a draw leaves unused, groups of
// digits drawn from it by one division, and a group split into its digits by multiplications.
// The word size is a parameter, so that the tests can walk every state of a narrow instance.
#pragma once

#include <bit>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <type_traits>

// Arithmetic on words of kBits bits held in TWord: every result is taken modulo 2^kBits, so that
// a narrow instance wraps exactly where the 64-bit one would. Narrow types are widened to
// unsigned first, which never overflows for them.
template <class TWord, unsigned kBits>
struct TWordMath {
  static_assert(std::is_unsigned_v<TWord> && kBits <= std::numeric_limits<TWord>::digits && kBits % 2 == 0 &&
                kBits >= 8);
  using TWide = std::conditional_t<(sizeof(TWord) < sizeof(unsigned)), unsigned, TWord>;
  static constexpr TWord kMask =
      kBits == std::numeric_limits<TWord>::digits ? TWord(~TWord(0)) : TWord((TWord(1) << kBits) - 1);

  static constexpr TWord Wrap(TWide x) noexcept { return TWord(x & kMask); }
  static constexpr TWord Mul(TWord a, TWord b) noexcept { return Wrap(TWide(a) * TWide(b)); }
  static constexpr TWord Shl(TWord a, unsigned bits) noexcept { return Wrap(TWide(a) << bits); }
  // The bits a value needs in a word of kBits bits.
  static constexpr unsigned Width(TWord a) noexcept { return unsigned(std::bit_width(TWide(a))); }
};

// How the digits below a range are drawn: count digits at a time as one group below
// range^count, which the multiplications of Split take apart. For more than one digit a group,
// Split is exact when 2^shift >= range^(2 count - 1) (the scale's rounding error then never
// reaches the next digit) and range * 2^shift + group <= 2^kBits (no product overflows); count is
// the largest that allows both. A single digit is its group.
template <class TWord, unsigned kBits>
struct TDigitPlan {
  using TMath = TWordMath<TWord, kBits>;

  TWord range = 0;
  unsigned count = 1;  // digits a group
  TWord group = 0;     // range^count
  unsigned shift = 0;  // bits below the point of the fixed-point fraction
  TWord scale = 1;     // ceil(2^shift / range^(count - 1))

  // Throws std::invalid_argument for a range below 2 or above 2^(kBits / 2).
  static constexpr TDigitPlan For(TWord range) {
    if (range < 2 || TMath::Width(TWord(range - 1)) > kBits / 2) {
      throw std::invalid_argument("no digit plan for the range");
    }
    TDigitPlan plan;
    plan.range = range;
    plan.group = range;
    for (unsigned count = 2;; ++count) {
      const TWord lower = plan.group;  // range^(count - 1)
      if (lower > TMath::kMask / range) break;
      const TWord group = TWord(lower * range);
      // range^(2 count - 1) = lower * group, and the bits it needs.
      if (lower > TMath::kMask / group) break;
      const unsigned shift = TMath::Width(TWord(lower * group - 1));
      if (shift >= kBits) break;
      // range * 2^shift + group <= 2^kBits, with 2^kBits - group written as kMask - group + 1.
      if ((TWord(1) << shift) > TWord(TMath::kMask - group + 1) / range) break;
      plan.count = count;
      plan.group = group;
      plan.shift = shift;
      plan.scale = TWord(((TWord(1) << shift) - 1) / lower + 1);
    }
    return plan;
  }

  // Writes the count digits of value (below group) to out, the most significant first.
  template <class TOut>
  void Split(TWord value, TOut* out) const noexcept {
    const TWord fraction = TWord((TWord(1) << shift) - 1);
    TWord y = TMath::Mul(value, scale);
    for (unsigned i = 0; i < count; ++i) {
      out[i] = static_cast<TOut>(y >> shift);
      y = TMath::Mul(TWord(y & fraction), range);
    }
  }
};

// A number v uniform below a bound m, independent of everything handed out before: the random
// bits not yet spent. Refill appends fresh bits below v; Draw takes a uniform group below n and
// keeps what is left of v uniform below the new bound, whether v falls in the largest multiple of
// n below m (then v mod n is the group and v / n the rest) or above it (then nothing is handed
// out and v minus that multiple is the rest). Nothing is thrown away but the one bit or so of
// the choice between the two, which costs about n / m: bits are added kUnitBits at a time, as
// many as fit, so that m stays above 2^(kBits - kUnitBits) when a group is drawn.
template <class TWord, unsigned kBits, unsigned kUnitBits>
class TRecycledBits {
public:
  using TMath = TWordMath<TWord, kBits>;
  static_assert(kUnitBits >= 1 && kUnitBits <= kBits / 2);

  // Random units Refill takes now: as many as the bound has room for.
  unsigned UnitsWanted() const noexcept { return (kBits - TMath::Width(bound_)) / kUnitBits; }
  // Appends units * kUnitBits uniform random bits (below 2^(units * kUnitBits)); units is what
  // UnitsWanted said.
  void Refill(unsigned units, TWord bits) noexcept {
    value_ = TWord(TMath::Shl(value_, units * kUnitBits) | bits);
    bound_ = TMath::Shl(bound_, units * kUnitBits);
  }
  // After a refill: true and a uniform group below n in group, or false with nothing drawn and
  // a refill due first. n is at least 1 and at most 2^(kBits - kUnitBits).
  bool Draw(TWord n, TWord& group) noexcept {
    const TWord quotient = TWord(bound_ / n);
    const TWord accepted = TWord(quotient * n);
    if (value_ < accepted) {
      group = TWord(value_ % n);
      value_ = TWord(value_ / n);
      bound_ = quotient;
      return true;
    }
    value_ = TWord(value_ - accepted);
    bound_ = TWord(bound_ - accepted);
    return false;
  }
  // Forgets the bits: the state holds none.
  void Clear() noexcept {
    value_ = 0;
    bound_ = 1;
  }

  TWord Value() const noexcept { return value_; }
  TWord Bound() const noexcept { return bound_; }
  // For the tests: a state with v below m, m at least 1.
  void Set(TWord v, TWord m) noexcept {
    value_ = v;
    bound_ = m;
  }

private:
  TWord value_ = 0;
  TWord bound_ = 1;
};
