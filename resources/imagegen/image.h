// A picture of 8-bit RGBA pixels with straight (not premultiplied) alpha, rows top to bottom.
#pragma once

#include <cstdint>
#include <vector>

namespace imagegen {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // width * height * 4 bytes: R, G, B, A

  Image() = default;
  Image(int w, int h) : width(w), height(h), rgba(static_cast<std::size_t>(w) * h * 4, 0) {}

  std::uint8_t* At(int x, int y) { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
  const std::uint8_t* At(int x, int y) const {
    return &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
  }
};

}  // namespace imagegen
