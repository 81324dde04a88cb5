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
};

// Draws from the process-wide linear congruential generator (DrawRandom), one step per number.
class LcgDrawSource final : public DrawSource {
public:
  void DrawMany(std::uint32_t range, std::span<std::uint32_t> out) override;
};

// Maps a stream of uniform 32-bit words to a range without bias, by multiplying and rejecting
// the few products that would favour some results (Lemire's method). Subclasses supply the
// words in blocks.
class UnbiasedDrawSource : public DrawSource {
public:
  void DrawMany(std::uint32_t range, std::span<std::uint32_t> out) override;

protected:
  static constexpr std::size_t kBlockWords = 1024;  // 4 KiB per refill
  // Fills words with uniform random 32-bit values; throws when the source fails.
  virtual void Refill(std::span<std::uint32_t> words) = 0;

private:
  std::uint32_t NextWord();

  std::uint32_t block_[kBlockWords] = {};
  std::size_t next_ = kBlockWords;
};
