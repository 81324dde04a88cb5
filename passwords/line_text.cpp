// Byte-order mark detection of line-list files.
#include "passwords/line_text.h"

namespace {

struct Mark {
  std::uint8_t bytes[3];
  std::size_t size;
  LineTextEncoding encoding;
};

// In the order they are tested.
constexpr Mark kMarks[] = {
    {{0xFF, 0xFE}, 2, LineTextEncoding::Utf16LittleEndian},
    {{0xFE, 0xFF}, 2, LineTextEncoding::Utf16BigEndian},
    {{0xEF, 0xBB, 0xBF}, 3, LineTextEncoding::Utf8},
};

}  // namespace

LineTextMark DetectLineTextMark(std::span<const std::uint8_t> bytes) noexcept {
  for (const Mark& mark : kMarks) {
    if (bytes.size() < mark.size) continue;
    bool equal = true;
    for (std::size_t i = 0; i < mark.size; ++i) {
      equal = equal && bytes[i] == mark.bytes[i];
    }
    if (equal) return {mark.encoding, mark.size};
  }
  return {LineTextEncoding::Ansi, 0};
}
