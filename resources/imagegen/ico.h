// Windows icon files (.ico) holding several square sizes of one picture.
#pragma once

#include <cstdint>
#include <vector>

#include "resources/imagegen/image.h"

namespace imagegen {

enum class IcoEntries {
  BmpBelow256,  // 32-bit BMP entries below 256 px, for every reader of icons
  AllPng,       // PNG entries only: a tenth of the size, read by the system since Windows Vista
};

// An icon file with one entry per image, in the given order. Images of 256 px and more are
// stored as PNG; smaller ones as 32-bit BMP entries (straight alpha) with a 1-bit AND mask that
// marks the fully transparent pixels, for drawing paths that ignore the alpha channel, or as PNG
// too when entries is AllPng.
std::vector<std::uint8_t> EncodeIco(const std::vector<Image>& images, IcoEntries entries = IcoEntries::BmpBelow256);

}  // namespace imagegen
