// Signed distance shapes, paints and the compositing canvas.
#include "resources/imagegen/raster.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace imagegen {
namespace {

constexpr int kSamples = 16;  // per pixel side, on edge pixels
// Farther than this from an edge, a pixel centre sees the whole pixel on one side (half the
// diagonal, with room for rounding).
constexpr double kEdgeReach = 0.7072;

double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
Vec Sub(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
double Length(Vec v) { return std::sqrt(Dot(v, v)); }
double Clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

// Distance from p to the segment a-b.
double SegmentDistance(Vec p, Vec a, Vec b) {
  const Vec pa = Sub(p, a);
  const Vec ba = Sub(b, a);
  const double len2 = Dot(ba, ba);
  const double h = len2 > 0 ? Clamp01(Dot(pa, ba) / len2) : 0;
  return Length({pa.x - ba.x * h, pa.y - ba.y * h});
}

// Signed distance to a rectangle centred at the origin with half sizes hx, hy.
double BoxDistance(Vec p, double hx, double hy) {
  const double qx = std::abs(p.x) - hx;
  const double qy = std::abs(p.y) - hy;
  const double outside = Length({std::max(qx, 0.0), std::max(qy, 0.0)});
  return outside + std::min(std::max(qx, qy), 0.0);
}

std::uint8_t ToByte(double v) { return static_cast<std::uint8_t>(std::floor(Clamp01(v) * 255.0 + 0.5)); }

}  // namespace

Color Rgb(std::uint32_t hex, double alpha) {
  return {((hex >> 16) & 0xFFu) / 255.0, ((hex >> 8) & 0xFFu) / 255.0, (hex & 0xFFu) / 255.0, alpha};
}

Color Mix(Color a, Color b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Shape Disc(Vec centre, double radius) {
  return [=](Vec p) { return Length(Sub(p, centre)) - radius; };
}

Shape RoundRect(double x0, double y0, double x1, double y1, double radius) {
  const Vec centre{(x0 + x1) / 2, (y0 + y1) / 2};
  const double hx = (x1 - x0) / 2 - radius;
  const double hy = (y1 - y0) / 2 - radius;
  return [=](Vec p) { return BoxDistance(Sub(p, centre), hx, hy) - radius; };
}

Shape Stroke(std::vector<Vec> points, double width) {
  return [points = std::move(points), half = width / 2](Vec p) {
    double d = Length(Sub(p, points.front()));
    for (std::size_t i = 1; i < points.size(); ++i) {
      d = std::min(d, SegmentDistance(p, points[i - 1], points[i]));
    }
    return d - half;
  };
}

Shape Bar(Vec a, Vec b, double width, double radius) {
  const Vec centre{(a.x + b.x) / 2, (a.y + b.y) / 2};
  const double len = Length(Sub(b, a));
  const Vec u{(b.x - a.x) / len, (b.y - a.y) / len};
  const double hx = len / 2 + width / 2 - radius;
  const double hy = width / 2 - radius;
  return [=](Vec p) {
    const Vec d = Sub(p, centre);
    const Vec local{Dot(d, u), d.y * u.x - d.x * u.y};
    return BoxDistance(local, hx, hy) - radius;
  };
}

Shape Polygon(std::vector<Vec> points) {
  return [v = std::move(points)](Vec p) {
    double d = Dot(Sub(p, v[0]), Sub(p, v[0]));
    double sign = 1;
    for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i, ++i) {
      const Vec e = Sub(v[j], v[i]);
      const Vec w = Sub(p, v[i]);
      const double h = Clamp01(Dot(w, e) / Dot(e, e));
      const Vec b{w.x - e.x * h, w.y - e.y * h};
      d = std::min(d, Dot(b, b));
      // Crossing count of a ray towards +x decides inside or outside.
      const bool c1 = p.y >= v[i].y;
      const bool c2 = p.y < v[j].y;
      const bool c3 = e.x * w.y > e.y * w.x;
      if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) sign = -sign;
    }
    return sign * std::sqrt(d);
  };
}

Shape HalfPlane(Vec point, Vec outward) {
  const double len = Length(outward);
  const Vec n{outward.x / len, outward.y / len};
  return [=](Vec p) { return Dot(Sub(p, point), n); };
}

Shape Union(std::vector<Shape> shapes) {
  return [shapes = std::move(shapes)](Vec p) {
    double d = shapes.front()(p);
    for (std::size_t i = 1; i < shapes.size(); ++i) d = std::min(d, shapes[i](p));
    return d;
  };
}

Shape Intersect(Shape a, Shape b) {
  return [a = std::move(a), b = std::move(b)](Vec p) { return std::max(a(p), b(p)); };
}

Shape Subtract(Shape from, Shape cut) {
  return [from = std::move(from), cut = std::move(cut)](Vec p) { return std::max(from(p), -cut(p)); };
}

Shape Grow(Shape shape, double by) {
  return [shape = std::move(shape), by](Vec p) { return shape(p) - by; };
}

Shape Move(Shape shape, Vec by) {
  return [shape = std::move(shape), by](Vec p) { return shape(Sub(p, by)); };
}

Paint Solid(Color c) {
  return [c](Vec) { return c; };
}

Paint Linear(Vec p0, Color c0, Vec p1, Color c1) {
  const Vec axis = Sub(p1, p0);
  const double len2 = Dot(axis, axis);
  return [=](Vec p) { return Mix(c0, c1, Clamp01(Dot(Sub(p, p0), axis) / len2)); };
}

Paint Radial(Vec centre, double radius, Color inner, Color outer) {
  return [=](Vec p) { return Mix(inner, outer, Clamp01(Length(Sub(p, centre)) / radius)); };
}

Canvas::Canvas(int size) : size_(size), pixels_(static_cast<std::size_t>(size) * size) {
  for (auto& p : pixels_) p = {0, 0, 0, 0};
}

void Canvas::Blend(int x, int y, Color c, double alpha) {
  const double a = c.a * alpha;
  if (a <= 0) return;
  auto& d = pixels_[static_cast<std::size_t>(y) * size_ + x];
  const double keep = 1 - a;
  d[0] = c.r * a + d[0] * keep;
  d[1] = c.g * a + d[1] * keep;
  d[2] = c.b * a + d[2] * keep;
  d[3] = a + d[3] * keep;
}

void Canvas::Fill(const Shape& shape, const Paint& paint, double opacity) {
  for (int y = 0; y < size_; ++y) {
    for (int x = 0; x < size_; ++x) {
      const Vec centre{x + 0.5, y + 0.5};
      const double d = shape(centre);
      double coverage = 0;
      if (d <= -kEdgeReach) {
        coverage = 1;
      } else if (d < kEdgeReach) {
        int inside = 0;
        for (int j = 0; j < kSamples; ++j) {
          for (int i = 0; i < kSamples; ++i) {
            const Vec s{x + (i + 0.5) / kSamples, y + (j + 0.5) / kSamples};
            if (shape(s) < 0) ++inside;
          }
        }
        coverage = static_cast<double>(inside) / (kSamples * kSamples);
      }
      if (coverage > 0) Blend(x, y, paint(centre), coverage * opacity);
    }
  }
}

void Canvas::FillSoft(const Shape& shape, const Paint& paint, double blur, double opacity) {
  for (int y = 0; y < size_; ++y) {
    for (int x = 0; x < size_; ++x) {
      const Vec centre{x + 0.5, y + 0.5};
      const double t = Clamp01(0.5 - shape(centre) / blur);
      const double coverage = t * t * (3 - 2 * t);  // smoothstep
      if (coverage > 0) Blend(x, y, paint(centre), coverage * opacity);
    }
  }
}

Image Canvas::ToImage() const {
  Image image(size_, size_);
  for (int y = 0; y < size_; ++y) {
    for (int x = 0; x < size_; ++x) {
      const auto& p = pixels_[static_cast<std::size_t>(y) * size_ + x];
      std::uint8_t* out = image.At(x, y);
      const std::uint8_t alpha = ToByte(p[3]);
      if (alpha == 0) continue;
      out[0] = ToByte(p[0] / p[3]);
      out[1] = ToByte(p[1] / p[3]);
      out[2] = ToByte(p[2] / p[3]);
      out[3] = alpha;
    }
  }
  return image;
}

}  // namespace imagegen
