// Sources of uniformly distributed numbers for the password generator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "passwords/uniform_digits.h"

class TDrawSource {
public:
  virtual ~TDrawSource() = default;
  // Fills out with numbers from 0 to range - 1; range is at least 1.
  virtual void DrawMany(std::uint32_t range, std::span<std::uint32_t> out) = 0;
  // Clears what the source keeps of the random data it drew from, once a command has used it:
  // those bytes tell the passwords drawn from them. The next draw starts afresh.
  virtual void Wipe() noexcept {}
};

// Draws from the process-wide linear congruential generator (DrawRandom), one step per number.
class TLcgDrawSource final : public TDrawSource {
public:
  void DrawMany(std::uint32_t range, std::span<std::uint32_t> out) override;
};

// Maps a stream of uniform random bytes to a range without bias, spending hardly more bytes than
// the numbers' entropy: log2(range) / 8 a number, 0.744 for an alphabet of 62. The bytes go into a
// state that keeps every random bit a draw leaves unused (TRecycledBits); groups of numbers are
// drawn from it by one division and split into their digits by multiplications (TDigitPlan),
// five numbers a group for 62. A range of 1 spends nothing. Numbers of a group not yet handed out
// wait for the next call; they are dropped when the range changes, the state's bits are not.
// Subclasses supply the bytes in blocks.
class TUnbiasedDrawSource : public TDrawSource {
public:
  // Throws std::invalid_argument for a range of 0, which has no numbers to draw.
  void DrawMany(std::uint32_t range, std::span<std::uint32_t> out) override;
  void Wipe() noexcept override;

  // The count of numbers below range that DrawMany takes from one group: from 1 to kMaxGroup, and
  // 0 for a range of 1, whose numbers take no random bits. Throws std::invalid_argument for a
  // range of 0.
  static unsigned GroupSize(std::uint32_t range);
  // Numbers in one group at most: 31, for a range of 2.
  static constexpr unsigned kMaxGroup = 31;

protected:
  // Bytes asked of the source at a time: a refill takes a small slice of a message pass's
  // period even where the system hands out random bytes slowly, and larger requests cost no less
  // a byte under Wine.
  static constexpr std::size_t kBlockBytes = 1024;
  // Fills bytes with uniform random values; throws when the source fails.
  virtual void Refill(std::span<std::uint8_t> bytes) = 0;

private:
  using TPlan = TDigitPlan<std::uint64_t, 64>;
  using TBits = TRecycledBits<std::uint64_t, 64, 8>;

  void SetRange(std::uint32_t range);
  // count random bytes (at most 7) as a number, the first byte lowest.
  std::uint64_t TakeBytes(unsigned count);
  // Writes the plan_.count numbers of one group to to.
  void DrawGroup(std::uint32_t* to);

  // Eight bytes beyond the block, so that eight can be read from every position in it; they are
  // never handed out.
  alignas(8) std::uint8_t block_[kBlockBytes + 8] = {};
  std::size_t next_ = kBlockBytes;
  TBits bits_;
  // The plan of the last range: a file of short passwords asks for the same range a million
  // times. range_ is 0 before the first draw.
  std::uint32_t range_ = 0;
  TPlan plan_;
  // The numbers of the last group; those from handed_ on are not handed out yet.
  std::uint32_t group_[kMaxGroup] = {};
  unsigned handed_ = 0;
};
