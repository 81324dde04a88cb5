// The line feeds of a body by the rules of its byte-order mark.
#include "http/line_end.h"

void TLastLineEnd::Add(std::span<const std::uint8_t> bytes) noexcept {
  // The encoding is known for sure only once the first bytes are in, so every rule is followed
  // until Kept asks.
  for (const std::uint8_t b : bytes) {
    const std::uint64_t at = size_++;
    if (at < sizeof first_) first_[at] = b;
    if (b == 0x0A) after_byte_ = at + 1;
    // A code unit is the byte pair at an even offset and the one after it; the first pair is the mark.
    if ((at & 1) != 0 && at >= 3) {
      if (previous_ == 0x0A && b == 0x00) after_little_ = at + 1;
      if (previous_ == 0x00 && b == 0x0A) after_big_ = at + 1;
    }
    previous_ = b;
  }
}

std::uint64_t TLastLineEnd::Kept() const noexcept {
  // The two marks the line-list reader reads as UTF-16 (a byte not yet written is 0, part of
  // neither); behind a UTF-8 mark or none, lines end at the byte.
  if (first_[0] == 0xFF && first_[1] == 0xFE) return after_little_;
  if (first_[0] == 0xFE && first_[1] == 0xFF) return after_big_;
  return after_byte_;
}
