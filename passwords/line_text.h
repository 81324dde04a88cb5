// The text layer of line-list files without system calls: byte-order mark detection, UTF-16 in
// either byte order, cutting a text into lines. The code-page conversions (ANSI, UTF-8), the
// joining with CR LF and the file handles live with the list on the Windows side.
#pragma once

#include <bit>
#include <cstddef>
#include <cstring>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

enum class TLineTextEncoding { Utf16LittleEndian, Utf16BigEndian, Utf8, Ansi };

struct TLineTextMark {
  TLineTextEncoding encoding;
  std::size_t size;  // bytes of the mark, skipped before decoding
};

// The encoding of a file from its first bytes, tested in this order: FF FE (UTF-16, low byte
// first), FE FF (UTF-16, high byte first), EF BB BF (UTF-8); anything else, a file too short to
// hold a whole mark included, is text in the active ANSI code page and has no mark.
TLineTextMark DetectLineTextMark(std::span<const std::uint8_t> bytes) noexcept;

// The number of code units DecodeUtf16 gives for bytes: a final odd byte is dropped.
constexpr std::size_t Utf16UnitCount(std::size_t byte_count) noexcept { return byte_count / 2; }

// Decodes UTF-16 bytes into out, two bytes per code unit, without validation: unpaired
// surrogates and every other value are kept as they are. out must have room for
// Utf16UnitCount(bytes.size()) units; returns that count.
template <class Char>
std::size_t DecodeUtf16(std::span<const std::uint8_t> bytes, bool big_endian, Char* out) noexcept {
  static_assert(sizeof(Char) == 2, "UTF-16 code units");
  const std::size_t n = Utf16UnitCount(bytes.size());
  const std::uint8_t* p = bytes.data();
  if (!big_endian && std::endian::native == std::endian::little) {
    if (n > 0) std::memcpy(out, p, n * 2);
  } else if (big_endian) {
    for (std::size_t i = 0; i < n; ++i) {
      out[i] = static_cast<Char>((p[2 * i] << 8) | p[2 * i + 1]);
    }
  } else {
    for (std::size_t i = 0; i < n; ++i) {
      out[i] = static_cast<Char>(p[2 * i] | (p[2 * i + 1] << 8));
    }
  }
  return n;
}

// The first character from p on that is below U+000E (CR and every separator and U+0000 are),
// or end. Text is mostly ordinary characters, so UTF-16 is tested four units at a time: a unit
// below 14 makes (w - 0x000E...) borrow into its top bit, which the unit itself cannot have set.
template <class Char>
const Char* SkipAboveCr(const Char* p, const Char* end) noexcept {
  if constexpr (sizeof(Char) == 2) {
    constexpr std::uint64_t kFourteens = 0x000E000E000E000Eull, kTopBits = 0x8000800080008000ull;
    while (end - p >= 4) {
      std::uint64_t w;
      std::memcpy(&w, p, sizeof w);
      if (((w - kFourteens) & ~w & kTopBits) != 0) break;
      p += 4;
    }
  }
  while (p != end && *p > 0x0D) ++p;
  return p;
}

// Calls line(first, length) for every line of text, in order. A line ends before the first CR,
// LF or U+0000 or at the end of the text; after it a CR is stepped over, and then an LF. So CR LF,
// a lone CR and a lone LF each end one line, LF CR ends a line and then an empty one, a separator
// at the very end adds no empty line, and the first U+0000 ends the whole scan.
template <class Char, class LineFn>
void ForEachLine(std::basic_string_view<Char> text, LineFn&& line) {
  constexpr Char kCr = 0x0D, kLf = 0x0A;
  const Char* p = text.data();
  const Char* const end = p + text.size();
  while (p != end && *p != 0) {
    const Char* const first = p;
    for (;;) {
      p = SkipAboveCr(p, end);
      if (p == end || *p == kCr || *p == kLf || *p == 0) break;
      ++p;  // a tab or another control character below CR
    }
    line(first, static_cast<std::size_t>(p - first));
    if (p != end && *p == kCr) ++p;
    if (p != end && *p == kLf) ++p;
  }
}

// True when every code unit of text is below U+0080: such text is the same in every ANSI code
// page and in UTF-8, one byte a unit. Tested four units at a time.
template <class Char>
bool IsAscii(std::basic_string_view<Char> text) noexcept {
  static_assert(sizeof(Char) == 2, "UTF-16 code units");
  const Char* p = text.data();
  const Char* const end = p + text.size();
  std::uint64_t bits = 0;
  for (; end - p >= 4; p += 4) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    bits |= w;
  }
  for (; p != end; ++p) bits |= static_cast<std::uint16_t>(*p);
  return (bits & 0xFF80FF80FF80FF80ull) == 0;
}

// The length of the first piece of text when it is cut into pieces of at most limit units
// (limit >= 2): limit, or one less where the cut would separate the two halves of a surrogate
// pair, or the whole rest when it is no longer.
template <class Char>
std::size_t PieceLength(std::basic_string_view<Char> text, std::size_t limit) noexcept {
  if (text.size() <= limit) return text.size();
  const auto last = static_cast<std::uint16_t>(text[limit - 1]);
  return last >= 0xD800 && last <= 0xDBFF ? limit - 1 : limit;
}

// The number of lines ForEachLine finds in text.
template <class Char>
std::size_t CountLines(std::basic_string_view<Char> text) noexcept {
  std::size_t count = 0;
  ForEachLine(text, [&count](const Char*, std::size_t) noexcept { ++count; });
  return count;
}

