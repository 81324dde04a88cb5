// Anti-aliased vector drawing into a square canvas. Shapes are signed distance functions in
// pixel units (negative inside); pixel (x, y) covers [x, x + 1) x [y, y + 1). Edge pixels are
// sampled on a 16 x 16 grid, so coverage is exact to 1/256 whatever the shape. The arithmetic is
// +, -, *, / and sqrt on doubles only (all correctly rounded), so every compiler and library
// gives the same pixels.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "resources/imagegen/image.h"

namespace imagegen {

struct Vec {
  double x = 0;
  double y = 0;
};

// A colour with straight alpha, every channel 0..1.
struct Color {
  double r = 0;
  double g = 0;
  double b = 0;
  double a = 1;
};

// 0xRRGGBB with the given alpha.
Color Rgb(std::uint32_t hex, double alpha = 1.0);
// `a` at t = 0 to `b` at t = 1.
Color Mix(Color a, Color b, double t);

using Shape = std::function<double(Vec)>;
using Paint = std::function<Color(Vec)>;

Shape Disc(Vec centre, double radius);
// Axis-aligned rectangle from (x0, y0) to (x1, y1) with rounded corners.
Shape RoundRect(double x0, double y0, double x1, double y1, double radius);
// A line through the points, `width` thick, with round caps and round joins.
Shape Stroke(std::vector<Vec> points, double width);
// A rectangle `width` thick from a to b, reaching width / 2 beyond both ends (square caps),
// its corners rounded by `radius`.
Shape Bar(Vec a, Vec b, double width, double radius = 0);
// A simple polygon, the points in either order.
Shape Polygon(std::vector<Vec> points);
// Everything on the side of the line through `point` that `outward` (any length) points away
// from.
Shape HalfPlane(Vec point, Vec outward);

Shape Union(std::vector<Shape> shapes);
Shape Intersect(Shape a, Shape b);
Shape Subtract(Shape from, Shape cut);
// The shape grown by `by` pixels (shrunk when negative); corners grow round.
Shape Grow(Shape shape, double by);
Shape Move(Shape shape, Vec by);

Paint Solid(Color c);
// c0 at p0 to c1 at p1, constant beyond both ends.
Paint Linear(Vec p0, Color c0, Vec p1, Color c1);
// `inner` at the centre to `outer` at `radius` and beyond.
Paint Radial(Vec centre, double radius, Color inner, Color outer);

class Canvas {
 public:
  explicit Canvas(int size);

  int Size() const { return size_; }

  // Paints the shape over what is there (source-over), its alpha scaled by `opacity`.
  void Fill(const Shape& shape, const Paint& paint, double opacity = 1.0);
  // Like Fill, with the edge spread over `blur` pixels; for soft shadows.
  void FillSoft(const Shape& shape, const Paint& paint, double blur, double opacity = 1.0);

  // The canvas as 8-bit straight alpha; fully transparent pixels are black.
  Image ToImage() const;

 private:
  void Blend(int x, int y, Color c, double alpha);

  int size_;
  std::vector<std::array<double, 4>> pixels_;  // premultiplied R, G, B, A
};

}  // namespace imagegen
