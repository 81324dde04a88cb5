// The shapes and colours of the About window's picture, in pixels at 96 dpi: a blue header band
// with diagonal stripes and the program's emblem, texts beside the emblem, a grey shade below. The
// band's shapes are drawn oversampled and averaged down, so their edges come out smooth.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolkit/layout.h"
#include "toolkit/skin_colors.h"

// The picture's size and its parts.
inline constexpr int kAboutPictureWidth = 500;
inline constexpr int kAboutPictureHeight = 360;
inline constexpr int kAboutBandHeight = 118;  // the header band ends here
inline constexpr int kAboutShadeEnd = 170;    // the grey shade below it has faded to white here

// The band's shapes are drawn this many times larger in each direction and averaged down.
inline constexpr int kOversample = 4;

// The band: diagonal stripes over a blue that darkens downwards, a light line at its foot.
inline constexpr TColor kBandTop = Rgb(34, 104, 184), kBandBottom = Rgb(14, 66, 136);
inline constexpr TColor kStripeTop = Rgb(42, 114, 195), kStripeBottom = Rgb(20, 75, 147);
inline constexpr TColor kFootLine = Rgb(98, 160, 226);
// The emblem: a blue disc in a light ring, bearing a grey six-armed asterisk over its shadow.
inline constexpr double kEmblemX = 60, kEmblemY = 57, kEmblemRadius = 44, kRingWidth = 3;
inline constexpr TColor kRing = Rgb(226, 236, 248), kDiscTop = Rgb(74, 152, 232), kDiscBottom = Rgb(16, 78, 170);
inline constexpr double kArmWidth = 12;
inline constexpr TColor kArmShadow = Rgb(14, 56, 122), kArmColor = Rgb(208, 212, 218);
// The texts beside the emblem: the program's name, its last word lighter, and the slogan.
inline constexpr int kTextX = 126, kNameY = 22, kNameHeight = 36, kSloganY = 70, kSloganHeight = 15;
inline constexpr TColor kTextShadow = Rgb(10, 46, 102), kNameColor = Rgb(255, 255, 255), kFreeColor = Rgb(150, 200, 255);
inline constexpr TColor kSloganColor = Rgb(214, 230, 250);
inline constexpr wchar_t kSlogan[] = L"Надёжные пароли — одним щелчком";
// Below the band.
inline constexpr TColor kShadeTop = Rgb(200, 205, 212), kWhite = Rgb(255, 255, 255);

// Lengths at 96 dpi to pixels of a drawing scale, rounded to the nearest.
struct TScaler {
  double factor;
  int operator()(double v) const;
};

// The stripes across a band of height pixels at scale s: four corners each, from left of the
// band's left edge to past its right one.
std::vector<TPlace> StripeCorners(const TScaler& s, int height);

// The three strokes of the asterisk at scale s, moved by dx, dy at 96 dpi: each through the
// emblem's centre, the first upright.
struct TStroke {
  TPlace from, to;
};
std::vector<TStroke> AsteriskStrokes(const TScaler& s, double dx, double dy);

// A picture's pixel rows in memory: stride bytes a row, top row first.
struct TPixelRows {
  std::uint8_t* bits;
  std::ptrdiff_t stride;
};

// Averages each kOversample × kOversample block of the 32-bit source into one pixel of the 24-bit
// target, width × height target pixels, each channel rounded to the nearest.
void Downsample(const TPixelRows& source, const TPixelRows& target, int width, int height);
