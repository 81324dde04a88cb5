// Rectangles, lengths and fonts of the layouts. They are given in pixels at 96 dots per inch and
// scaled to the dpi of the window they stand in.
#pragma once

#include <cstdint>

// A rectangle of pixels, right and bottom outside it.
struct TBox {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const TBox&) const = default;
};
struct TPlace {
  std::int32_t x, y;
};

// A rectangle of a layout at 96 dpi.
struct TRect96 {
  int x = 0, y = 0, width = 0, height = 0;
};

// Scales a length given at 96 dpi to dpi, rounding to the nearest pixel and halves away from
// zero, as the system scales its own metrics.
constexpr int ScaleTo(int value, unsigned dpi) noexcept {
  const std::int64_t product = std::int64_t{value} * dpi;
  return static_cast<int>(product >= 0 ? (product + 48) / 96 : (product - 48) / 96);
}

// Scales a rectangle edge by edge, so neighbouring controls stay flush at every dpi.
constexpr TBox ScaleBox(const TRect96& r, unsigned dpi) noexcept {
  return TBox{ScaleTo(r.x, dpi), ScaleTo(r.y, dpi), ScaleTo(r.x + r.width, dpi), ScaleTo(r.y + r.height, dpi)};
}

// Whether point lies in box: on its left or top edge, not on its right or bottom one.
constexpr bool Contains(const TBox& box, TPlace point) noexcept {
  return point.x >= box.left && point.x < box.right && point.y >= box.top && point.y < box.bottom;
}

// The colour of a font that takes the system's window-text colour.
inline constexpr std::uint32_t kSystemTextColor = 0xFFFFFFFF;

struct TFontSpec {
  const wchar_t* face = L"Tahoma";
  int height = 11;  // character height in pixels at 96 dpi (8 pt)
  bool bold = false;
  bool underline = false;
  std::uint32_t color = kSystemTextColor;  // else a colour as 0x00BBGGRR

  bool operator==(const TFontSpec&) const = default;
};

// The fonts of the program's windows: Tahoma at 8 and 10 points.
inline constexpr TFontSpec kTahoma8{};
inline constexpr TFontSpec kTahoma8Bold{L"Tahoma", 11, true};
inline constexpr TFontSpec kTahoma10{L"Tahoma", 13};
inline constexpr TFontSpec kTahoma10Bold{L"Tahoma", 13, true};
