// Icon file writer: ICONDIR, one ICONDIRENTRY per image, then the images.
#include "resources/imagegen/ico.h"

#include "resources/imagegen/png.h"

namespace imagegen {
namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFFu);
  Put16(out, v >> 16);
}

// A BITMAPINFOHEADER, the colour pixels (BGRA, bottom row first) and the AND mask (1 bit per
// pixel, rows padded to 32 bits, bottom row first; 1 = transparent).
std::vector<std::uint8_t> BmpEntry(const Image& image) {
  const int w = image.width;
  const int h = image.height;
  const std::uint32_t maskStride = static_cast<std::uint32_t>((w + 31) / 32 * 4);
  const std::uint32_t colourBytes = static_cast<std::uint32_t>(w) * h * 4;
  const std::uint32_t maskBytes = maskStride * h;

  std::vector<std::uint8_t> out;
  Put32(out, 40);                              // biSize
  Put32(out, static_cast<std::uint32_t>(w));   // biWidth
  Put32(out, static_cast<std::uint32_t>(2 * h));  // biHeight: colour and mask together
  Put16(out, 1);                               // biPlanes
  Put16(out, 32);                              // biBitCount
  Put32(out, 0);                               // biCompression: BI_RGB
  Put32(out, colourBytes + maskBytes);         // biSizeImage
  Put32(out, 0);                               // biXPelsPerMeter
  Put32(out, 0);                               // biYPelsPerMeter
  Put32(out, 0);                               // biClrUsed
  Put32(out, 0);                               // biClrImportant

  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* p = image.At(x, y);
      if (p[3] == 0) {
        // Black under a set mask bit leaves the background as it is.
        out.insert(out.end(), {0, 0, 0, 0});
      } else {
        out.insert(out.end(), {p[2], p[1], p[0], p[3]});
      }
    }
  }
  for (int y = h - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(maskStride, 0);
    for (int x = 0; x < w; ++x) {
      if (image.At(x, y)[3] == 0) row[x / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

std::vector<std::uint8_t> EncodeIco(const std::vector<Image>& images, IcoEntries entries) {
  std::vector<std::vector<std::uint8_t>> bodies;
  for (const Image& image : images) {
    const bool png = image.width >= 256 || entries == IcoEntries::AllPng;
    bodies.push_back(png ? EncodePng(image) : BmpEntry(image));
  }

  std::vector<std::uint8_t> out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // type: icon
  Put16(out, static_cast<std::uint32_t>(images.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    // A width or height of 256 is written as 0.
    out.push_back(static_cast<std::uint8_t>(images[i].width >= 256 ? 0 : images[i].width));
    out.push_back(static_cast<std::uint8_t>(images[i].height >= 256 ? 0 : images[i].height));
    out.push_back(0);  // no palette
    out.push_back(0);  // reserved
    Put16(out, 1);     // planes
    Put16(out, 32);    // bits per pixel
    Put32(out, static_cast<std::uint32_t>(bodies[i].size()));
    Put32(out, offset);
    offset += static_cast<std::uint32_t>(bodies[i].size());
  }
  for (const auto& body : bodies) out.insert(out.end(), body.begin(), body.end());
  return out;
}

}  // namespace imagegen
