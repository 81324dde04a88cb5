// Where a body written piece by piece last ends a whole line, by the rules the line-list reader
// reads it with, so that a body cut at its limit keeps whole lines only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Follows the bytes of a body in the order they are written. The end of a line is the end of a
// line feed: in a body that starts with a UTF-16 mark, an LF code unit (0A 00 low byte first,
// 00 0A high byte first) on an even offset from the body's start, the mark's two bytes not
// counted as one; in any other body (UTF-8 with its mark, ANSI) the byte 0A. A cut there splits
// no character and no CR LF pair, and leaves a UTF-16 body of whole code units.
class TLastLineEnd {
public:
  void Add(std::span<const std::uint8_t> bytes) noexcept;
  // The bytes from the body's start up to and including its last line feed; 0 when it has none.
  std::uint64_t Kept() const noexcept;

private:
  std::uint64_t size_ = 0;
  std::uint8_t first_[2] = {};  // the body's first two bytes, which hold a UTF-16 mark
  std::uint8_t previous_ = 0;   // the byte before the next one
  std::uint64_t after_byte_ = 0, after_little_ = 0, after_big_ = 0;  // ends by each rule, 0 for none
};
