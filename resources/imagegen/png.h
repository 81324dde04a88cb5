// PNG encoding of an RGBA image: the signature, IHDR, one IDAT and IEND, nothing else (no time
// stamp), so the same picture always gives the same file.
#pragma once

#include <cstdint>
#include <vector>

#include "resources/imagegen/image.h"

namespace imagegen {

// The PNG file of `image` (8 bits per channel, colour type 6, no interlace). Each row gets the
// filter whose output has the smallest sum of absolute byte values.
std::vector<std::uint8_t> EncodePng(const Image& image);

}  // namespace imagegen
