// PNG writer over the project's own deflate compressor.
#include "resources/imagegen/png.h"

#include <array>
#include <cstdlib>
#include <span>
#include <string_view>

#include "resources/imagegen/deflate.h"

namespace imagegen {
namespace {

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, std::string_view type,
              std::span<const std::uint8_t> data) {
  PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeAt = out.size();
  for (char c : type) out.push_back(static_cast<std::uint8_t>(c));
  out.insert(out.end(), data.begin(), data.end());
  // The CRC covers the chunk type and the data.
  PutBigEndian(out, Crc32(std::span<const std::uint8_t>(out.data() + typeAt, out.size() - typeAt)));
}

int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a);
  const int pb = std::abs(p - b);
  const int pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// The rows of `image`, each preceded by its filter type.
std::vector<std::uint8_t> FilteredRows(const Image& image) {
  constexpr std::size_t bpp = 4;
  const std::size_t stride = static_cast<std::size_t>(image.width) * bpp;
  const std::vector<std::uint8_t> zero(stride, 0);
  std::vector<std::uint8_t> out;
  out.reserve((stride + 1) * image.height);
  std::vector<std::uint8_t> candidate(stride);
  std::vector<std::uint8_t> best(stride);
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* row = image.rgba.data() + stride * y;
    const std::uint8_t* up = y > 0 ? row - stride : zero.data();
    long bestScore = -1;
    int bestFilter = 0;
    for (int filter = 0; filter < 5; ++filter) {
      long score = 0;
      for (std::size_t i = 0; i < stride; ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0;
        const int b = up[i];
        const int c = i >= bpp ? up[i - bpp] : 0;
        int predicted = 0;
        switch (filter) {
          case 1: predicted = a; break;
          case 2: predicted = b; break;
          case 3: predicted = (a + b) / 2; break;
          case 4: predicted = Paeth(a, b, c); break;
          default: break;
        }
        const auto v = static_cast<std::uint8_t>(row[i] - predicted);
        candidate[i] = v;
        score += v < 128 ? v : 256 - v;
      }
      if (bestScore < 0 || score < bestScore) {
        bestScore = score;
        bestFilter = filter;
        best.swap(candidate);
      }
    }
    out.push_back(static_cast<std::uint8_t>(bestFilter));
    out.insert(out.end(), best.begin(), best.end());
  }
  return out;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const Image& image) {
  std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

  std::vector<std::uint8_t> header;
  PutBigEndian(header, static_cast<std::uint32_t>(image.width));
  PutBigEndian(header, static_cast<std::uint32_t>(image.height));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // depth, RGBA, deflate, adaptive filters, no interlace
  PutChunk(out, "IHDR", header);

  PutChunk(out, "IDAT", ZlibCompress(FilteredRows(image)));
  PutChunk(out, "IEND", {});
  return out;
}

}  // namespace imagegen
