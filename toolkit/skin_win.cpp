// High contrast is asked of the system once and again when a form hears of a change; the system's
// colours are read at every paint.
#include "toolkit/skin_win.h"

std::function<bool()> HighContrastQueryOverride;

namespace {

bool SystemHighContrast() {
  if (HighContrastQueryOverride) return HighContrastQueryOverride();
  HIGHCONTRASTW hc{};
  hc.cbSize = sizeof hc;
  return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
}

// -1 until the first question, then 0 or 1.
int high_contrast = -1;

// Read at every use, so a new colour scheme shows at the next paint.
TSystemColors SystemColors() {
  return TSystemColors{::GetSysColor(COLOR_WINDOW),  ::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_BTNFACE),
                       ::GetSysColor(COLOR_BTNTEXT), ::GetSysColor(COLOR_HOTLIGHT),   ::GetSysColor(COLOR_HIGHLIGHT),
                       ::GetSysColor(COLOR_GRAYTEXT)};
}

}  // namespace

bool HighContrast() {
  if (high_contrast < 0) high_contrast = SystemHighContrast() ? 1 : 0;
  return high_contrast != 0;
}

bool RefreshHighContrast() {
  const int before = high_contrast;
  high_contrast = SystemHighContrast() ? 1 : 0;
  return before != high_contrast;
}

TSkinColors Skin(TSkinSection section) {
  return HighContrast() ? HighContrastSkin(section, SystemColors()) : LightSkin(section);
}

COLORREF SkinFontColor() { return HighContrast() ? ::GetSysColor(COLOR_BTNTEXT) : LightSkin(TSkinSection::Form).text; }

COLORREF SkinTextColor(TSkinSection section, COLORREF font_color) {
  if (HighContrast()) return Skin(section).text;
  return font_color == kSystemTextColor ? ::GetSysColor(COLOR_WINDOWTEXT) : font_color;
}

void FillSolid(HDC dc, const RECT& r, COLORREF c) {
  const COLORREF old = ::SetBkColor(dc, c);
  ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
  ::SetBkColor(dc, old);
}

void FrameSolid(HDC dc, const RECT& r, COLORREF c) {
  FillSolid(dc, RECT{r.left, r.top, r.right, r.top + 1}, c);
  FillSolid(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, c);
  FillSolid(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, c);
  FillSolid(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, c);
}
