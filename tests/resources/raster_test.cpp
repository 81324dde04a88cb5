// Coverage, compositing and the finished pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "resources/imagegen/catalog.h"
#include "resources/imagegen/raster.h"

namespace {

using namespace imagegen;

const Color kWhite = Rgb(0xFFFFFF);

double AlphaSum(const Image& image) {
  double sum = 0;
  for (std::size_t i = 3; i < image.rgba.size(); i += 4) sum += image.rgba[i] / 255.0;
  return sum;
}

TEST(Raster, CoverageMatchesTheArea) {
  struct Case {
    std::string name;
    Shape shape;
    double area;
  };
  const double pi = 3.14159265358979;
  const Case cases[] = {
      {"disc", Disc({16.3, 15.8}, 10), pi * 100},
      {"small disc", Disc({8, 8}, 1.5), pi * 2.25},
      {"round rect", RoundRect(3.2, 4.6, 27.9, 20.1, 4), 24.7 * 15.5 - (4 - pi) * 16},
      {"tilted bar", Bar({6, 6}, {26, 20}, 3), (std::sqrt(20.0 * 20 + 14 * 14) + 3) * 3},
      {"triangle", Polygon({{2, 2}, {30, 5}, {10, 29}}), 0.5 * std::abs(28.0 * 27 - 3 * 8)},
      {"disc with a hole", Subtract(Disc({16, 16}, 12), Disc({16, 16}, 6)), pi * (144 - 36)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas canvas(32);
    canvas.Fill(c.shape, Solid(kWhite));
    EXPECT_NEAR(AlphaSum(canvas.ToImage()), c.area, c.area * 0.01 + 0.5);
  }
}

TEST(Raster, EdgesOnPixelBoundariesStayHard) {
  Canvas canvas(8);
  canvas.Fill(RoundRect(2, 3, 6, 5, 0), Solid(kWhite));
  canvas.Fill(HalfPlane({0, 7.5}, {0, -1}), Solid(kWhite));  // the lower half of the last row
  const Image image = canvas.ToImage();
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const int want = y == 7 ? 128 : (x >= 2 && x < 6 && y >= 3 && y < 5) ? 255 : 0;
      EXPECT_EQ(image.At(x, y)[3], want) << x << "," << y;
    }
  }
}

TEST(Raster, CompositesWithStraightAlphaOut) {
  struct Case {
    std::string name;
    std::vector<std::pair<Color, double>> layers;  // colour and opacity, bottom first
    std::array<int, 4> want;
  };
  const Case cases[] = {
      {"half red alone keeps its colour", {{Rgb(0xFF0000), 0.5}}, {255, 0, 0, 128}},
      {"half red over white", {{kWhite, 1}, {Rgb(0xFF0000), 0.5}}, {255, 128, 128, 255}},
      {"two halves of blue", {{Rgb(0x0000FF), 0.5}, {Rgb(0x0000FF), 0.5}}, {0, 0, 255, 191}},
      {"half red over half blue", {{Rgb(0x0000FF), 0.5}, {Rgb(0xFF0000), 0.5}}, {170, 0, 85, 191}},
      {"colour with its own alpha", {{Rgb(0x00FF00, 0.5), 0.5}}, {0, 255, 0, 64}},
      {"nothing is black", {{kWhite, 0}}, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas canvas(2);
    for (const auto& [color, opacity] : c.layers) canvas.Fill(Disc({1, 1}, 5), Solid(color), opacity);
    const Image image = canvas.ToImage();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(image.At(1, 1)[i], c.want[i]) << i;
  }
}

// Every picture at every size it is stored in: transparent border and corners, a shape that
// fills most of the square, opaque inside and anti-aliased at its edge.
TEST(Pictures, FillTheSquareWithAMargin) {
  for (const Picture& picture : Pictures()) {
    std::set<int> sizes(picture.iconSizes.begin(), picture.iconSizes.end());
    sizes.insert(picture.previews.begin(), picture.previews.end());
    for (int size : sizes) {
      SCOPED_TRACE(picture.name + " " + std::to_string(size));
      const Image image = picture.draw(size);
      ASSERT_EQ(image.width, size);
      ASSERT_EQ(image.height, size);
      int x0 = size, y0 = size, x1 = -1, y1 = -1;
      int opaque = 0, partial = 0;
      for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
          const int a = image.At(x, y)[3];
          if (a == 0) continue;
          x0 = std::min(x0, x);
          y0 = std::min(y0, y);
          x1 = std::max(x1, x);
          y1 = std::max(y1, y);
          (a == 255 ? opaque : partial) += 1;
        }
      }
      EXPECT_GE(x0, 1);
      EXPECT_GE(y0, 1);
      EXPECT_LE(x1, size - 2);
      EXPECT_LE(y1, size - 2);
      EXPECT_GE(x1 - x0 + 1, size * 3 / 4);
      EXPECT_GE(y1 - y0 + 1, size * 3 / 5);
      EXPECT_GE(opaque, size * size / 5);
      EXPECT_GE(partial, 8);  // anti-aliased somewhere, even where edges sit on pixels
    }
  }
}

TEST(Pictures, FilesAreTheIconsThenThePreviews) {
  std::vector<std::string> paths;
  for (const OutputFile& file : GenerateAll()) {
    paths.push_back(file.path);
    EXPECT_FALSE(file.bytes.empty()) << file.path;
  }
  const std::vector<std::string> want = {
      "tarvelin.ico", "gen.ico", "exit.ico", "about.ico", "genfile.ico", "folder.ico", "check_green.ico",
      "png/tarvelin_32.png", "png/tarvelin_256.png", "png/gen_32.png", "png/exit_32.png",
      "png/about_32.png", "png/genfile_32.png", "png/folder_32.png", "png/check_green_32.png"};
  EXPECT_EQ(paths, want);
}

}  // namespace
