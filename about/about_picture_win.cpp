// Drawn oversampled into a DIB and averaged down, so that the curves and gradients keep smooth
// edges at every DPI.
#include "about/about_picture_win.h"

#include <string>
#include <vector>

#include "product/product_consts.h"
#include "toolkit/dc_win.h"
#include "toolkit/exception.h"
#include "toolkit/wide.h"
#include "toolkit/window_win.h"

namespace {

using TUniqueRegion = TUniqueHandle<TTypedGdiTraits<HRGN>>;
using TUniquePen = TUniqueHandle<TTypedGdiTraits<HPEN>>;

struct TDib {
  TUniqueBitmap bitmap;
  TPixelRows rows{nullptr, 0};
};

TDib CreateDib(int width, int height, WORD bits_per_pixel) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = bits_per_pixel;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  TDib dib;
  dib.bitmap.Reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib.bitmap) throw EOutOfResources(u"Cannot create a bitmap");
  dib.rows = TPixelRows{static_cast<std::uint8_t*>(bits), (width * bits_per_pixel / 8 + 3) & ~3};
  return dib;
}

TRIVERTEX Vertex(LONG x, LONG y, COLORREF c) {
  return TRIVERTEX{x, y, static_cast<COLOR16>(GetRValue(c) << 8), static_cast<COLOR16>(GetGValue(c) << 8),
                   static_cast<COLOR16>(GetBValue(c) << 8), 0};
}

void FillGradient(HDC dc, const RECT& r, COLORREF top, COLORREF bottom) {
  TRIVERTEX v[2] = {Vertex(r.left, r.top, top), Vertex(r.right, r.bottom, bottom)};
  GRADIENT_RECT rect{0, 1};
  // gdi32's own gradient fill: msimg32's GradientFill only forwards to it, and msimg32 is not a
  // known DLL, so a planted copy beside the program would be loaded with it.
  ::GdiGradientFill(dc, v, 2, &rect, 1, GRADIENT_FILL_RECT_V);
}

// Fills r with the gradient where region lets it.
void FillGradientIn(HDC dc, const TUniqueRegion& region, const RECT& r, COLORREF top, COLORREF bottom) {
  if (!region) throw EOutOfResources(u"Cannot create a region");
  ::SelectClipRgn(dc, region.Get());
  FillGradient(dc, r, top, bottom);
  ::SelectClipRgn(dc, nullptr);
}

void FillDisc(HDC dc, const TScaler& s, double radius, COLORREF top, COLORREF bottom) {
  const RECT box{s(kEmblemX - radius), s(kEmblemY - radius), s(kEmblemX + radius), s(kEmblemY + radius)};
  FillGradientIn(dc, TUniqueRegion(::CreateEllipticRgn(box.left, box.top, box.right, box.bottom)), box, top, bottom);
}

// The asterisk's strokes with round ends.
void DrawAsterisk(HDC dc, const TScaler& s, double dx, double dy, COLORREF color) {
  const LOGBRUSH brush{BS_SOLID, color, 0};
  TUniquePen pen(
      ::ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND, static_cast<DWORD>(s(kArmWidth)), &brush, 0, nullptr));
  if (!pen) throw EOutOfResources(u"Cannot create a pen");
  const TSelection selected(dc, pen.Get());
  for (const TStroke& stroke : AsteriskStrokes(s, dx, dy)) {
    ::MoveToEx(dc, stroke.from.x, stroke.from.y, nullptr);
    ::LineTo(dc, stroke.to.x, stroke.to.y);
  }
}

// The band's background and the emblem, at the oversampled scale s.
void DrawBandShapes(HDC dc, const TScaler& s, int width, int height) {
  const RECT band{0, 0, width, height};
  FillGradient(dc, band, kBandTop, kBandBottom);
  std::vector<POINT> points;
  for (const TPlace& corner : StripeCorners(s, height)) points.push_back(POINT{corner.x, corner.y});
  const std::vector<INT> counts(points.size() / 4, 4);
  FillGradientIn(
      dc, TUniqueRegion(::CreatePolyPolygonRgn(points.data(), counts.data(), static_cast<int>(counts.size()), WINDING)),
      band, kStripeTop, kStripeBottom);
  FillGradient(dc, RECT{0, height - s(2), width, height}, kFootLine, kFootLine);

  FillDisc(dc, s, kEmblemRadius + kRingWidth, kRing, kRing);
  FillDisc(dc, s, kEmblemRadius, kDiscTop, kDiscBottom);
  DrawAsterisk(dc, s, 1.5, 2, kArmShadow);
  DrawAsterisk(dc, s, 0, 0, kArmColor);
}

// Draws text at x, y over a one-pixel shadow; returns the x just after it.
int DrawShadowedText(HDC dc, int x, int y, const std::wstring& text, COLORREF color, UINT dpi) {
  const int offset = ScaleTo(1, dpi);
  ::SetTextColor(dc, kTextShadow);
  ::TextOutW(dc, x + offset, y + offset, text.c_str(), static_cast<int>(text.size()));
  ::SetTextColor(dc, color);
  ::TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
  SIZE size{0, 0};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return x + size.cx;
}

// The program's name, its last word in a lighter colour, and the slogan under it.
void DrawBandTexts(HDC dc, UINT dpi) {
  ::SetBkMode(dc, TRANSPARENT);
  const std::wstring name = Wide(ProgramName);
  const std::size_t blank = name.rfind(L' ');
  const TUniqueFont name_font = CreateFontFor(TFontSpec{L"Tahoma", kNameHeight, true}, dpi);
  const TUniqueFont slogan_font = CreateFontFor(TFontSpec{L"Tahoma", kSloganHeight}, dpi);
  {
    const TSelection font(dc, name_font.Get());
    int x = DrawShadowedText(dc, ScaleTo(kTextX, dpi), ScaleTo(kNameY, dpi), name.substr(0, blank), kNameColor, dpi);
    if (blank != std::wstring::npos) DrawShadowedText(dc, x, ScaleTo(kNameY, dpi), name.substr(blank), kFreeColor, dpi);
  }
  const TSelection font(dc, slogan_font.Get());
  DrawShadowedText(dc, ScaleTo(kTextX, dpi) + ScaleTo(2, dpi), ScaleTo(kSloganY, dpi), kSlogan, kSloganColor, dpi);
}

}  // namespace

TUniqueBitmap DrawAboutPicture(UINT dpi) {
  const int width = ScaleTo(kAboutPictureWidth, dpi), height = ScaleTo(kAboutPictureHeight, dpi);
  const int band = ScaleTo(kAboutBandHeight, dpi), shade_end = ScaleTo(kAboutShadeEnd, dpi);
  TDib picture = CreateDib(width, height, 24);
  {
    TDib large = CreateDib(width * kOversample, band * kOversample, 32);
    {
      const TMemoryDC dc(nullptr, large.bitmap.Get());
      DrawBandShapes(dc.Get(), TScaler{dpi / 96.0 * kOversample}, width * kOversample, band * kOversample);
    }
    ::GdiFlush();
    Downsample(large.rows, picture.rows, width, band);
  }
  {
    const TMemoryDC dc(nullptr, picture.bitmap.Get());
    DrawBandTexts(dc.Get(), dpi);
    FillGradient(dc.Get(), RECT{0, band, width, shade_end}, kShadeTop, kWhite);
    FillSolid(dc.Get(), RECT{0, shade_end, width, height}, kWhite);
  }
  ::GdiFlush();
  return std::move(picture.bitmap);
}
