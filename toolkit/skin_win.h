// The look of the program's windows: the skin's colours, or the system's in high contrast, and
// the fills and frames drawn with them.
#pragma once

#include <windows.h>

#include <functional>

#include "toolkit/layout.h"
#include "toolkit/skin_colors.h"

// The colours of a section: the skin's own, or in high contrast the system's (window and window
// text for fields, button face and button text elsewhere, hot light under the pointer,
// highlight for the focus and for a pressed button, grey text when disabled).
TSkinColors Skin(TSkinSection section);

// Whether Windows asks for high contrast (SPI_GETHIGHCONTRAST, HCF_HIGHCONTRASTON). Read on
// first use and again by RefreshHighContrast, which the forms call when the system's colours or
// settings change; returns whether the answer changed.
bool HighContrast();
bool RefreshHighContrast();
// Replaces the system's answer until reset to nullptr, for tests: Wine always answers no and
// cannot be switched.
extern std::function<bool()> HighContrastQueryOverride;

// The colour of transparent labels drawn on a window of the skin.
COLORREF SkinFontColor();
// The colour a control of section draws its text in: its font's colour (kSystemTextColor: the
// system's window text) with the skin, the section's system text colour in high contrast.
COLORREF SkinTextColor(TSkinSection section, COLORREF font_color);

// Fills r with c.
void FillSolid(HDC dc, const RECT& r, COLORREF c);
// Draws a one-pixel frame of colour c just inside r.
void FrameSolid(HDC dc, const RECT& r, COLORREF c);
