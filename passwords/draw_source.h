// Sources of uniformly distributed numbers for the password generator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

class DrawSource {
public:
  virtual ~DrawSource() = default;
  // Fills out with numbers from 0 to range - 1; range is at least 1.
  virtual void DrawMany(std::uint32_t range, std::span<std::uint32_t> out) = 0;
  // Clears what the source keeps of the random data it drew from, once a command has used it:
  // those bytes tell the passwords drawn from them. The next draw starts afresh.
  virtual void Wipe() noexcept {}
};

// Draws from the process-wide linear congruential generator (DrawRandom), one step per number.
class LcgDrawSource final : public DrawSource {
public:
  void DrawMany(std::uint32_t range, std::span<std::uint32_t> out) override;
};

// Maps a stream of uniform random bytes to a range without bias: a uniform word x of w bits
// gives floor(x * range / 2^w), and the 2^w mod range lowest products are rejected so every
// result has the same weight (Lemire's method). The word width (8, 16 or 32 bits) is the one that
// spends the fewest random bytes per result for the range. Subclasses supply the bytes in blocks.
class UnbiasedDrawSource : public DrawSource {
public:
  void DrawMany(std::uint32_t range, std::span<std::uint32_t> out) override;
  void Wipe() noexcept override;

  // The word width in bits DrawMany uses for range.
  static unsigned WordBits(std::uint32_t range);

protected:
  static constexpr std::size_t kBlockBytes = 4096;
  // Fills bytes with uniform random values; throws when the source fails.
  virtual void Refill(std::span<std::uint8_t> bytes) = 0;

private:
  template <unsigned Bits>
  void DrawWith(std::uint32_t range, std::span<std::uint32_t> out);
  template <unsigned Bits>
  std::uint32_t NextWord();

  std::uint8_t block_[kBlockBytes] = {};
  std::size_t next_ = kBlockBytes;
  // The width and rejection threshold of the last range: a file of short passwords asks for
  // the same range a million times, and working them out costs more than a short password.
  std::uint32_t range_ = 0;
  unsigned bits_ = 32;
  std::uint64_t threshold_ = 0;
};
