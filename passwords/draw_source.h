// Sources of uniformly distributed numbers for the password generator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

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

// Maps a stream of uniform random bytes to a range without bias, several numbers from every
// 64-bit word. A word x gives k numbers below range r by k multiplications: x * r is
// d1 * 2^64 + x1, x1 * r is d2 * 2^64 + x2, and so on, so that x * r^k = D * 2^64 + xk where D
// has the digits d1 ... dk in base r. That is Lemire's method on the range r^k: the word is
// rejected when xk < 2^64 mod r^k, and every k-tuple of digits has the same weight. k is the
// count that spends the fewest random bytes per number, rejections included: ten numbers from
// eight bytes for an alphabet of 62, where one byte per number would spend 1.03. Numbers of a
// word not yet handed out wait for the next call; they are dropped when the range changes.
// Subclasses supply the bytes in blocks.
class TUnbiasedDrawSource : public TDrawSource {
public:
  // Throws std::invalid_argument for a range of 0, which has no numbers to draw.
  void DrawMany(std::uint32_t range, std::span<std::uint32_t> out) override;
  void Wipe() noexcept override;

  // The count of numbers below range that DrawMany takes from one word: from 1 to kMaxBatch.
  // Throws std::invalid_argument for a range of 0.
  static unsigned BatchSize(std::uint32_t range);
  // Numbers from one word at most: 64, for a range of 2.
  static constexpr unsigned kMaxBatch = 64;

protected:
  // Bytes asked of the source at a time: a refill takes a small slice of a message pass's
  // period even where the system hands out random bytes slowly.
  static constexpr std::size_t kBlockBytes = 1024;
  // Fills bytes with uniform random values; throws when the source fails.
  virtual void Refill(std::span<std::uint8_t> bytes) = 0;

private:
  void SetRange(std::uint32_t range);
  std::uint64_t NextWord();
  // Writes the batch_size_ numbers of one accepted word to to.
  void DrawBatch(std::uint32_t* to);

  alignas(8) std::uint8_t block_[kBlockBytes] = {};
  std::size_t next_ = kBlockBytes;
  // The batch size and rejection threshold of the last range: a file of short passwords asks
  // for the same range a million times.
  std::uint32_t range_ = 0;
  unsigned batch_size_ = 1;
  std::uint64_t threshold_ = 0;
  // The numbers of the last word; those from handed_ on are not handed out yet.
  std::uint32_t batch_[kMaxBatch] = {};
  unsigned handed_ = 1;
};
