// The picture's stripes cover the whole band, the asterisk is centred on the emblem with one arm
// upright, and averaging down keeps each channel's mean rounded to the nearest.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "about/about_picture_shapes.h"

namespace {

TEST(AboutPictureShapes, StripesCoverTheBandFromEdgeToEdgeAtEveryScale) {
  for (const double factor : {1.0, 1.25, 1.5, 2.0, 4.0, 6.0}) {
    const TScaler s{factor};
    const int height = s(kAboutBandHeight), width = s(kAboutPictureWidth);
    const std::vector<TPlace> corners = StripeCorners(s, height);
    ASSERT_EQ(corners.size() % 4, 0u);
    ASSERT_GE(corners.size(), 4u);
    EXPECT_LE(corners.front().x, 0) << "the first stripe starts left of the band at its foot";
    EXPECT_GE(corners[corners.size() - 3].x, width) << "the last stripe reaches past the right edge at the top";
    for (std::size_t i = 0; i < corners.size(); i += 4) {
      EXPECT_EQ(corners[i].y, height);
      EXPECT_EQ(corners[i + 1].y, 0);
      EXPECT_EQ(corners[i + 2].y, 0);
      EXPECT_EQ(corners[i + 3].y, height);
      EXPECT_LE(std::abs((corners[i + 2].x - corners[i + 1].x) - (corners[i + 3].x - corners[i].x)), 1)
          << "a parallelogram, but for rounding";
      if (i >= 4) {
        EXPECT_GT(corners[i].x, corners[i - 4].x) << "stripes in order, left to right";
      }
    }
  }
}

TEST(AboutPictureShapes, TheAsteriskIsCentredOnTheEmblemWithOneArmUpright) {
  const TScaler s{4.0};
  for (const auto& [dx, dy] : {std::pair{0.0, 0.0}, std::pair{1.5, 2.0}}) {
    const std::vector<TStroke> strokes = AsteriskStrokes(s, dx, dy);
    ASSERT_EQ(strokes.size(), 3u);
    const int cx = s(kEmblemX + dx), cy = s(kEmblemY + dy);
    for (const TStroke& t : strokes) {
      EXPECT_LE(std::abs(t.from.x + t.to.x - 2 * cx), 1) << "through the centre";
      EXPECT_LE(std::abs(t.from.y + t.to.y - 2 * cy), 1) << "through the centre";
      const int dx2 = t.to.x - t.from.x, dy2 = t.to.y - t.from.y;
      EXPECT_NEAR(std::sqrt(double(dx2) * dx2 + double(dy2) * dy2), s(60), 2.0) << "arms of one length";
    }
    EXPECT_LE(std::abs(strokes[0].from.x - strokes[0].to.x), 1) << "the first arm upright";
  }
}

TEST(AboutPictureShapes, AveragingDownRoundsEachChannelsMeanAndKeepsToTheRows) {
  constexpr int width = 3, height = 2, n = kOversample;
  constexpr std::ptrdiff_t source_stride = width * n * 4 + 8, target_stride = width * 3 + 3;  // padded rows
  std::vector<std::uint8_t> source(source_stride * height * n, 0xEE), target(target_stride * height, 0xAA);
  // Pixel (x, y) of the result: its block holds blue k, green 2k and red (k + 8) % 256 for the
  // k-th of its samples, plus the pixel's own offset x + 10y on every channel.
  for (int y = 0; y < height * n; ++y) {
    for (int x = 0; x < width * n; ++x) {
      const int k = (y % n) * n + x % n, offset = x / n + 10 * (y / n);
      std::uint8_t* p = source.data() + y * source_stride + x * 4;
      p[0] = static_cast<std::uint8_t>(k + offset);
      p[1] = static_cast<std::uint8_t>(2 * k + offset);
      p[2] = static_cast<std::uint8_t>(k % 2 ? 255 : 0);
    }
  }
  Downsample(TPixelRows{source.data(), source_stride}, TPixelRows{target.data(), target_stride}, width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = target.data() + y * target_stride + x * 3;
      const int offset = x + 10 * y;
      EXPECT_EQ(p[0], 8 + offset) << x << ',' << y;   // mean 7.5 rounds up
      EXPECT_EQ(p[1], 15 + offset) << x << ',' << y;  // mean 15 exactly
      EXPECT_EQ(p[2], 128) << x << ',' << y;          // mean 127.5 rounds up
    }
    for (std::ptrdiff_t pad = width * 3; pad < target_stride; ++pad) EXPECT_EQ(target[y * target_stride + pad], 0xAA);
  }
}

}  // namespace
