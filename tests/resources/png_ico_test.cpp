// PNG and icon files, decoded back to their pixels by independent readers.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "resources/imagegen/deflate.h"
#include "resources/imagegen/drawings.h"
#include "resources/imagegen/ico.h"
#include "resources/imagegen/png.h"
#include "tests/resources/inflate.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using imagegen::Image;

std::uint32_t Be32(const Bytes& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}
std::uint32_t Le16(const Bytes& b, std::size_t at) { return b[at] | (std::uint32_t{b[at + 1]} << 8); }
std::uint32_t Le32(const Bytes& b, std::size_t at) { return Le16(b, at) | (Le16(b, at + 2) << 16); }

struct Chunk {
  std::string type;
  Bytes data;
};

// The chunks of a PNG file; fails the test on a bad signature, length or CRC.
std::vector<Chunk> Chunks(const Bytes& png) {
  const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<Chunk> chunks;
  EXPECT_TRUE(png.size() >= 8 && Bytes(png.begin(), png.begin() + 8) == signature);
  std::size_t at = 8;
  while (at + 12 <= png.size()) {
    const std::uint32_t length = Be32(png, at);
    if (at + 12 + length > png.size()) break;
    const std::span<const std::uint8_t> typed(png.data() + at + 4, length + 4);
    EXPECT_EQ(imagegen::Crc32(typed), Be32(png, at + 8 + length));
    chunks.push_back({std::string(png.begin() + at + 4, png.begin() + at + 8),
                      Bytes(png.begin() + at + 8, png.begin() + at + 8 + length)});
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size());
  return chunks;
}

int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Decodes an 8-bit RGBA PNG; an empty image when anything is wrong.
Image DecodePng(const Bytes& png) {
  const auto chunks = Chunks(png);
  if (chunks.size() < 3 || chunks.front().type != "IHDR" || chunks.back().type != "IEND") return {};
  const Bytes& h = chunks.front().data;
  const Bytes expectTail = {8, 6, 0, 0, 0};
  if (h.size() != 13 || Bytes(h.begin() + 8, h.end()) != expectTail) return {};
  const int w = static_cast<int>(Be32(h, 0));
  const int ht = static_cast<int>(Be32(h, 4));
  Bytes compressed;
  for (const Chunk& c : chunks) {
    if (c.type == "IDAT") compressed.insert(compressed.end(), c.data.begin(), c.data.end());
  }
  const auto raw = imagegen_test::ZlibInflate(compressed);
  const std::size_t stride = static_cast<std::size_t>(w) * 4;
  if (!raw || raw->size() != (stride + 1) * ht) return {};
  Image image(w, ht);
  for (int y = 0; y < ht; ++y) {
    const std::uint8_t filter = (*raw)[y * (stride + 1)];
    const std::uint8_t* in = raw->data() + y * (stride + 1) + 1;
    std::uint8_t* row = image.rgba.data() + y * stride;
    const std::uint8_t* up = y > 0 ? row - stride : nullptr;
    for (std::size_t i = 0; i < stride; ++i) {
      const int a = i >= 4 ? row[i - 4] : 0;
      const int b = up ? up[i] : 0;
      const int c = up && i >= 4 ? up[i - 4] : 0;
      const int predicted = filter == 0   ? 0
                            : filter == 1 ? a
                            : filter == 2 ? b
                            : filter == 3 ? (a + b) / 2
                            : filter == 4 ? Paeth(a, b, c)
                                          : -1;
      if (predicted < 0) return {};
      row[i] = static_cast<std::uint8_t>(in[i] + predicted);
    }
  }
  return image;
}

// A picture with hard and soft edges, gradients and transparency, so every filter has work.
Image TestPicture(int w, int h) {
  Image image(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = image.At(x, y);
      p[0] = static_cast<std::uint8_t>(x * 255 / (w - 1));
      p[1] = static_cast<std::uint8_t>(y * 255 / (h - 1));
      p[2] = static_cast<std::uint8_t>((x * 37 + y * 11) % 256);
      p[3] = static_cast<std::uint8_t>((x + y) % 5 == 0 ? 0 : 255 - x);
    }
  }
  return image;
}

TEST(Png, DecodesToTheSamePixels) {
  struct Case {
    std::string name;
    Image image;
  };
  const Case cases[] = {
      {"two by two", TestPicture(2, 2)},
      {"odd sizes", TestPicture(7, 5)},
      {"wide", TestPicture(200, 3)},
      {"program icon", imagegen::DrawProgramIcon(256)},
      {"folder", imagegen::DrawFolder(32)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Image decoded = DecodePng(imagegen::EncodePng(c.image));
    EXPECT_EQ(decoded.width, c.image.width);
    EXPECT_EQ(decoded.height, c.image.height);
    EXPECT_EQ(decoded.rgba, c.image.rgba);
  }
}

TEST(Png, HasOnlyTheNeededChunks) {
  const auto chunks = Chunks(imagegen::EncodePng(TestPicture(9, 9)));
  std::vector<std::string> types;
  for (const Chunk& c : chunks) types.push_back(c.type);
  EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
}

TEST(Ico, DirectoryAndEntriesDecodeToTheImages) {
  const std::vector<Image> images = {imagegen::DrawProgramIcon(16), TestPicture(33, 33),
                                     imagegen::DrawExit(48), imagegen::DrawProgramIcon(256)};
  const Bytes ico = imagegen::EncodeIco(images);
  ASSERT_GE(ico.size(), 6u + 16 * images.size());
  EXPECT_EQ(Le16(ico, 0), 0u);
  EXPECT_EQ(Le16(ico, 2), 1u);
  ASSERT_EQ(Le16(ico, 4), images.size());

  std::size_t expectedOffset = 6 + 16 * images.size();
  for (std::size_t i = 0; i < images.size(); ++i) {
    SCOPED_TRACE(i);
    const Image& image = images[i];
    const std::size_t e = 6 + 16 * i;
    EXPECT_EQ(ico[e], image.width == 256 ? 0 : image.width);
    EXPECT_EQ(ico[e + 1], image.height == 256 ? 0 : image.height);
    EXPECT_EQ(Le16(ico, e + 4), 1u);
    EXPECT_EQ(Le16(ico, e + 6), 32u);
    const std::size_t size = Le32(ico, e + 8);
    const std::size_t offset = Le32(ico, e + 12);
    ASSERT_EQ(offset, expectedOffset);
    ASSERT_LE(offset + size, ico.size());
    expectedOffset += size;
    const Bytes body(ico.begin() + offset, ico.begin() + offset + size);

    if (image.width == 256) {
      EXPECT_EQ(body, imagegen::EncodePng(image));
      continue;
    }
    const int w = image.width;
    const int h = image.height;
    const std::size_t maskStride = (w + 31) / 32 * 4;
    ASSERT_EQ(size, 40 + static_cast<std::size_t>(w) * h * 4 + maskStride * h);
    EXPECT_EQ(Le32(body, 0), 40u);
    EXPECT_EQ(Le32(body, 4), static_cast<std::uint32_t>(w));
    EXPECT_EQ(Le32(body, 8), static_cast<std::uint32_t>(2 * h));
    EXPECT_EQ(Le16(body, 14), 32u);
    EXPECT_EQ(Le32(body, 16), 0u);
    for (int y = 0; y < h; ++y) {
      const int row = h - 1 - y;  // bottom row first
      for (int x = 0; x < w; ++x) {
        const std::uint8_t* want = image.At(x, y);
        const std::uint8_t* bgra = &body[40 + (static_cast<std::size_t>(row) * w + x) * 4];
        const bool clear = want[3] == 0;
        const std::uint8_t maskByte = body[40 + static_cast<std::size_t>(w) * h * 4 + row * maskStride + x / 8];
        ASSERT_EQ((maskByte >> (7 - x % 8)) & 1, clear ? 1 : 0) << x << "," << y;
        if (clear) {
          ASSERT_EQ(bgra[0] | bgra[1] | bgra[2] | bgra[3], 0) << x << "," << y;
        } else {
          ASSERT_EQ(bgra[0], want[2]);
          ASSERT_EQ(bgra[1], want[1]);
          ASSERT_EQ(bgra[2], want[0]);
          ASSERT_EQ(bgra[3], want[3]);
        }
      }
    }
  }
  EXPECT_EQ(expectedOffset, ico.size());
}

}  // namespace
