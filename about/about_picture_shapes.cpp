// The stripes are parallelograms leaning right, one a period; the asterisk's strokes are 60°
// apart.
#include "about/about_picture_shapes.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kStripePeriod = 14, kStripeWidth = 6;
constexpr double kArm = 30;

}  // namespace

int TScaler::operator()(double v) const { return static_cast<int>(std::lround(v * factor)); }

std::vector<TPlace> StripeCorners(const TScaler& s, int height) {
  std::vector<TPlace> corners;
  for (double x = -kAboutBandHeight; x < kAboutPictureWidth; x += kStripePeriod) {
    corners.insert(corners.end(), {TPlace{s(x), height}, TPlace{s(x + kAboutBandHeight), 0},
                                   TPlace{s(x + kAboutBandHeight + kStripeWidth), 0}, TPlace{s(x + kStripeWidth), height}});
  }
  return corners;
}

std::vector<TStroke> AsteriskStrokes(const TScaler& s, double dx, double dy) {
  std::vector<TStroke> strokes;
  for (int i = 0; i < 3; ++i) {
    const double angle = std::numbers::pi / 2 + i * std::numbers::pi / 3;
    const double x = kArm * std::cos(angle), y = kArm * std::sin(angle);
    strokes.push_back(TStroke{TPlace{s(kEmblemX + dx + x), s(kEmblemY + dy - y)},
                              TPlace{s(kEmblemX + dx - x), s(kEmblemY + dy + y)}});
  }
  return strokes;
}

void Downsample(const TPixelRows& source, const TPixelRows& target, int width, int height) {
  constexpr int n = kOversample, samples = n * n;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* out = target.bits + y * target.stride;
    for (int x = 0; x < width; ++x) {
      unsigned sum[3] = {0, 0, 0};
      for (int sy = 0; sy < n; ++sy) {
        const std::uint8_t* in = source.bits + (y * n + sy) * source.stride + x * n * 4;
        for (int sx = 0; sx < n; ++sx, in += 4) {
          for (int c = 0; c < 3; ++c) sum[c] += in[c];
        }
      }
      for (int c = 0; c < 3; ++c) out[x * 3 + c] = static_cast<std::uint8_t>((sum[c] + samples / 2) / samples);
    }
  }
}
