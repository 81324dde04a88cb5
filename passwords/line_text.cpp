// Byte-order mark detection of line-list files.
#include "passwords/line_text.h"

namespace {

struct TMark {
  std::uint8_t bytes[3];
  std::size_t size;
  TLineTextEncoding encoding;
};

// In the order they are tested.
constexpr TMark kMarks[] = {
    {{0xFF, 0xFE}, 2, TLineTextEncoding::Utf16LittleEndian},
    {{0xFE, 0xFF}, 2, TLineTextEncoding::Utf16BigEndian},
    {{0xEF, 0xBB, 0xBF}, 3, TLineTextEncoding::Utf8},
};

}  // namespace

TLineTextMark DetectLineTextMark(std::span<const std::uint8_t> bytes) noexcept {
  for (const TMark& mark : kMarks) {
    if (bytes.size() < mark.size) continue;
    bool equal = true;
    for (std::size_t i = 0; i < mark.size; ++i) {
      equal = equal && bytes[i] == mark.bytes[i];
    }
    if (equal) return {mark.encoding, mark.size};
  }
  return {TLineTextEncoding::Ansi, 0};
}
