// The program's one built-in look: flat and light; the system's colours in high contrast.
#include "toolkit/skin_win.h"

std::function<bool()> HighContrastQueryOverride;

namespace {

const TSkinColors kForm{RGB(240, 240, 240), RGB(220, 220, 220), RGB(0, 0, 0), RGB(240, 240, 240), RGB(220, 220, 220),
                       RGB(240, 240, 240), RGB(220, 220, 220), RGB(220, 220, 220), RGB(131, 131, 131)};
const TSkinColors kEdit{RGB(255, 255, 255), RGB(171, 173, 179), RGB(0, 0, 0), RGB(255, 255, 255), RGB(126, 180, 234),
                       RGB(255, 255, 255), RGB(86, 157, 229), RGB(0, 120, 215), RGB(131, 131, 131)};
const TSkinColors kButton{RGB(225, 225, 225), RGB(173, 173, 173), RGB(0, 0, 0), RGB(229, 241, 251), RGB(0, 120, 215),
                         RGB(204, 228, 247), RGB(0, 84, 153), RGB(0, 120, 215), RGB(131, 131, 131)};
const TSkinColors kPanel{RGB(240, 240, 240), RGB(240, 240, 240), RGB(0, 0, 0), RGB(240, 240, 240), RGB(240, 240, 240),
                        RGB(240, 240, 240), RGB(240, 240, 240), RGB(240, 240, 240), RGB(131, 131, 131)};
const TSkinColors kGroupBox{RGB(240, 240, 240), RGB(213, 223, 229), RGB(0, 0, 0), RGB(240, 240, 240), RGB(213, 223, 229),
                           RGB(240, 240, 240), RGB(213, 223, 229), RGB(213, 223, 229), RGB(131, 131, 131)};
const TSkinColors kSpeedButton{RGB(240, 240, 240), RGB(240, 240, 240), RGB(64, 64, 64), RGB(229, 241, 251), RGB(0, 120, 215),
                              RGB(204, 228, 247), RGB(0, 84, 153), RGB(0, 120, 215), RGB(170, 170, 170)};

bool SystemHighContrast() {
  if (HighContrastQueryOverride) return HighContrastQueryOverride();
  HIGHCONTRASTW hc{};
  hc.cbSize = sizeof hc;
  return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
}

// -1 until the first question, then 0 or 1.
int high_contrast = -1;

// Read at every use, so a new colour scheme shows at the next paint.
TSkinColors SystemColors(TSkinSection section) {
  const bool field = section == TSkinSection::Edit;
  const COLORREF face = ::GetSysColor(field ? COLOR_WINDOW : COLOR_BTNFACE);
  const COLORREF text = ::GetSysColor(field ? COLOR_WINDOWTEXT : COLOR_BTNTEXT);
  const COLORREF hot = ::GetSysColor(COLOR_HOTLIGHT), focus = ::GetSysColor(COLOR_HIGHLIGHT);
  // The spin buttons stay flat: a frame only under the pointer or held down.
  const COLORREF border = section == TSkinSection::SpeedButtonSmall ? face : text;
  return TSkinColors{face, border, text, face, hot, face, focus, focus, ::GetSysColor(COLOR_GRAYTEXT)};
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
  if (HighContrast()) return SystemColors(section);
  switch (section) {
    case TSkinSection::Edit: return kEdit;
    case TSkinSection::Button: return kButton;
    case TSkinSection::Panel: return kPanel;
    case TSkinSection::GroupBox: return kGroupBox;
    case TSkinSection::SpeedButtonSmall: return kSpeedButton;
    case TSkinSection::Form: break;
  }
  return kForm;
}

COLORREF SkinFontColor() { return HighContrast() ? ::GetSysColor(COLOR_BTNTEXT) : kForm.text; }

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
