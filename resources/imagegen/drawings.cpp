// The drawings. Coordinates are fractions of the picture size; edges that should stay crisp at
// small sizes are snapped to whole pixels.
#include "resources/imagegen/drawings.h"

#include <algorithm>
#include <cmath>

#include "resources/imagegen/raster.h"

namespace imagegen {
namespace {

// Converts fractions of the picture to pixels.
struct Frame {
  double s;
  double operator()(double f) const { return f * s; }
  Vec operator()(double fx, double fy) const { return {fx * s, fy * s}; }
  // The nearest pixel boundary.
  double Snap(double f) const { return std::floor(f * s + 0.5); }
  // Width of the darker rim around shapes: one pixel up to 64 px, then growing slowly.
  double Rim() const { return std::max(1.0, s / 64); }
  // Space left free around the picture.
  double Margin() const { return std::max(1.0, s / 32); }
};

const Color kWhite = Rgb(0xFFFFFF);
const Color kShadow = Rgb(0x000000);

// A soft drop shadow under a shape, a little below it, faded out before the margin so that the
// border of the picture stays clear.
void Shadow(Canvas& c, const Frame& f, const Shape& shape, double opacity) {
  const double blur = std::max(1.0, f(0.04));
  const double inset = f.Margin() + blur / 2;
  const Shape inside = RoundRect(inset, inset, f(1) - inset, f(1) - inset, 0);
  c.FillSoft(Intersect(Move(shape, {0, f(0.025)}), inside), Solid(kShadow), blur, opacity);
}

// A shape with a darker rim and a top-to-bottom gradient inside it.
void Rimmed(Canvas& c, const Frame& f, const Shape& shape, double top, double bottom, Color light,
            Color dark, Color rim) {
  c.Fill(shape, Solid(rim));
  c.Fill(Grow(shape, -f.Rim()), Linear({0, top}, light, {0, bottom}, dark));
}

// A round badge: rimmed disc with a gradient and a soft highlight over its upper half.
void Badge(Canvas& c, const Frame& f, Color light, Color dark, Color rim) {
  const Vec centre = f(0.5, 0.5);
  const double r = f(0.5) - f.Margin();
  const Shape disc = Disc(centre, r);
  Rimmed(c, f, disc, centre.y - r, centre.y + r, light, dark, rim);
  if (f.s < 32) return;  // too small for a highlight to read as one
  const Vec glossCentre{centre.x, centre.y - r * 0.62};
  const double glossRadius = r * 0.78;
  const Shape gloss = Intersect(Grow(disc, -f.Rim()), Disc(glossCentre, glossRadius));
  c.Fill(gloss, Linear({0, centre.y - r}, Rgb(0xFFFFFF, 0.26), {0, glossCentre.y + glossRadius},
                       Rgb(0xFFFFFF, 0.0)));
}

// A white symbol on a badge, with a faint shadow that lifts it off the disc.
void Symbol(Canvas& c, const Frame& f, const Shape& shape) {
  c.FillSoft(Move(shape, {0, f(0.02)}), Solid(kShadow), std::max(0.8, f(0.03)), 0.30);
  c.Fill(shape, Linear(f(0, 0.2), kWhite, f(0, 0.8), Rgb(0xE8EEF5)));
}

Image CheckMark(int size, Color light, Color dark, Color rim) {
  Canvas c(size);
  const Frame f{static_cast<double>(size)};
  const Shape check = Stroke({f(0.17, 0.53), f(0.40, 0.76), f(0.83, 0.27)}, f(0.17));
  Shadow(c, f, Grow(check, f.Rim()), 0.25);
  Rimmed(c, f, Grow(check, f.Rim()), f(0.2), f(0.85), light, dark, rim);
  return c.ToImage();
}

}  // namespace

Image DrawProgramIcon(int size) {
  Canvas c(size);
  const Frame f{static_cast<double>(size)};
  Badge(c, f, Rgb(0x4F9BEF), Rgb(0x1A4FA8), Rgb(0x143E86));

  // Three bars through the centre, 60 degrees apart.
  const Vec centre = f(0.5, 0.5);
  const bool tiny = size < 32;  // 16 px: no rim or shadow, which would turn the star to mush
  const double arm = tiny ? f(0.30) : f(0.29);
  const double half = std::sqrt(3.0) / 2;
  const double width = tiny ? 2.0 : f(0.13);
  const Shape star = Union({
      Stroke({{centre.x, centre.y - arm}, {centre.x, centre.y + arm}}, width),
      Stroke({{centre.x - arm * half, centre.y - arm / 2}, {centre.x + arm * half, centre.y + arm / 2}}, width),
      Stroke({{centre.x - arm * half, centre.y + arm / 2}, {centre.x + arm * half, centre.y - arm / 2}}, width),
  });
  if (tiny) {
    c.Fill(star, Linear({0, centre.y - arm}, Rgb(0xFFFFFF), {0, centre.y + arm}, Rgb(0xC9D0D9)));
  } else {
    Shadow(c, f, star, 0.35);
    Rimmed(c, f, Grow(star, f.Rim()), centre.y - arm, centre.y + arm, Rgb(0xF4F6F9),
           Rgb(0xB4BDC8), Rgb(0x6E7885));
  }
  return c.ToImage();
}

Image DrawGenerate(int size) { return CheckMark(size, Rgb(0x5AA8F5), Rgb(0x1D5FC0), Rgb(0x174A96)); }

Image DrawCheckGreen(int size) {
  return CheckMark(size, Rgb(0x7BD65A), Rgb(0x2E9A2A), Rgb(0x237A20));
}

Image DrawExit(int size) {
  Canvas c(size);
  const Frame f{static_cast<double>(size)};
  Badge(c, f, Rgb(0xF2665C), Rgb(0xC3261E), Rgb(0x961B15));
  const double arm = f(0.19);
  const double width = f(0.13);
  const Vec m = f(0.5, 0.5);
  const Shape cross = Union({
      Bar({m.x - arm, m.y - arm}, {m.x + arm, m.y + arm}, width, width * 0.2),
      Bar({m.x - arm, m.y + arm}, {m.x + arm, m.y - arm}, width, width * 0.2),
  });
  Symbol(c, f, cross);
  return c.ToImage();
}

Image DrawAbout(int size) {
  Canvas c(size);
  const Frame f{static_cast<double>(size)};
  Badge(c, f, Rgb(0x5AA8F5), Rgb(0x1D5FC0), Rgb(0x174A96));
  // Stem widths in whole pixels, even, so that the stem sits on pixel edges around the centre.
  const double stem = 2 * std::floor(f(0.0625) + 0.5);
  const double x0 = f(0.5) - stem / 2;
  const double x1 = f(0.5) + stem / 2;
  const Shape letter = Union({
      Disc(f(0.5, 0.285), stem * 0.62),
      RoundRect(x0, f.Snap(0.42), x1, f.Snap(0.77), stem * 0.18),
  });
  Symbol(c, f, letter);
  return c.ToImage();
}

Image DrawGenFile(int size) {
  Canvas c(size);
  const Frame f{static_cast<double>(size)};
  const double m = f.Margin();
  const double lo = m;
  const double hi = f(1) - m;
  const double corner = f(0.16);
  const Shape body = Intersect(RoundRect(lo, lo, hi, hi, f(0.07)),
                               HalfPlane({hi - corner, lo}, {1, -1}));
  Shadow(c, f, body, 0.25);
  Rimmed(c, f, body, lo, hi, Rgb(0x4B93E8), Rgb(0x1B4FA3), Rgb(0x123C80));

  // Metal shutter at the top with its window.
  const double sx0 = f.Snap(0.27);
  const double sx1 = f.Snap(0.70);
  const double sy1 = f.Snap(0.37);
  c.Fill(RoundRect(sx0, lo + f.Rim(), sx1, sy1, f(0.03)),
         Linear({0, lo}, Rgb(0xF3F5F8), {0, sy1}, Rgb(0xAEB8C4)));
  c.Fill(RoundRect(f.Snap(0.53), f.Snap(0.10), f.Snap(0.63), f.Snap(0.31), f(0.015)), Solid(Rgb(0x1B3F78)));

  // Label at the bottom with two written lines.
  const double lx0 = f.Snap(0.19);
  const double lx1 = f.Snap(0.81);
  const double ly0 = f.Snap(0.52);
  // The label runs out under the bottom rim.
  c.Fill(Intersect(RoundRect(lx0, ly0, lx1, hi + f(0.06), f(0.04)), Grow(body, -f.Rim())),
         Linear({0, ly0}, Rgb(0xFFFFFF), {0, hi}, Rgb(0xDCE4EE)));
  const double line = std::max(1.0, f(0.03));
  for (double y : {0.63, 0.76}) {
    const double top = f.Snap(y);
    c.Fill(RoundRect(f.Snap(0.27), top, f.Snap(0.73), top + line, 0), Solid(Rgb(0x8FA8C8)));
  }
  return c.ToImage();
}

Image DrawFolder(int size) {
  Canvas c(size);
  const Frame f{static_cast<double>(size)};
  const double m = f.Margin();
  const double x0 = m;
  const double x1 = f(1) - m;
  const double top = f.Snap(0.13);
  const double bottom = f.Snap(0.87);
  const double radius = f(0.06);

  // The back with its tab.
  const Shape back = Union({
      RoundRect(x0, top, f(0.45), f(0.40), radius),
      Polygon({{f(0.30), top}, {f(0.50), f.Snap(0.23)}, {f(0.50), f(0.40)}, {f(0.30), f(0.40)}}),
      RoundRect(x0, f.Snap(0.22), x1, bottom, radius),
  });
  Shadow(c, f, back, 0.25);
  Rimmed(c, f, back, top, bottom, Rgb(0xF0B93A), Rgb(0xD08E12), Rgb(0xA66C08));

  // A sheet of paper peeking out.
  c.Fill(RoundRect(f(0.13), f.Snap(0.28), f(0.87), f(0.70), f(0.02)), Solid(Rgb(0x9A7A3A, 0.35)));
  c.Fill(RoundRect(f(0.14), f.Snap(0.29), f(0.86), f(0.70), f(0.02)),
         Linear(f(0, 0.3), Rgb(0xFFFFFF), f(0, 0.6), Rgb(0xE9EDF2)));

  // The front, a little lower than the back.
  const Shape front = RoundRect(x0, f.Snap(0.40), x1, bottom, radius);
  Rimmed(c, f, front, f(0.40), bottom, Rgb(0xFFDA6A), Rgb(0xF2AE2A), Rgb(0xB07810));
  const Shape shine = Intersect(Grow(front, -f.Rim()), HalfPlane({0, f(0.40) + f.Rim() + std::max(1.0, f(0.03))}, {0, 1}));
  c.Fill(shine, Solid(Rgb(0xFFF1B8, 0.9)));
  return c.ToImage();
}

}  // namespace imagegen
