// Where a body written piece by piece last ends a whole line.
#include "banner/line_end.h"

#include "passwords/line_text.h"

void TLastLineEnd::Add(std::span<const std::uint8_t> bytes) noexcept {
  // The encoding is known for sure only once the first bytes are in, so every rule is followed
  // until Kept asks.
  for (const std::uint8_t b : bytes) {
    const std::uint64_t at = size_++;
    if (at < sizeof first_) first_[at] = b;
    if (b == 0x0A) afterByte_ = at + 1;
    // A code unit is the byte pair at an even offset and the one after it; the first pair is the mark.
    if ((at & 1) != 0 && at >= 3) {
      if (previous_ == 0x0A && b == 0x00) afterLittle_ = at + 1;
      if (previous_ == 0x00 && b == 0x0A) afterBig_ = at + 1;
    }
    previous_ = b;
  }
}

std::uint64_t TLastLineEnd::Kept() const noexcept {
  const std::size_t known = size_ < sizeof first_ ? static_cast<std::size_t>(size_) : sizeof first_;
  switch (DetectLineTextMark(std::span<const std::uint8_t>(first_, known)).encoding) {
    case LineTextEncoding::Utf16LittleEndian: return afterLittle_;
    case LineTextEncoding::Utf16BigEndian: return afterBig_;
    default: return afterByte_;
  }
}
