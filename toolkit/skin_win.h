// The program's one built-in look: flat and light, the same colours in every window. Controls
// name the section they are drawn with.
#pragma once

#include <windows.h>

enum class SkinSection { Form, Edit, Button, Panel, GroupBox, SpeedButtonSmall };

struct SkinColors {
  COLORREF face;           // background
  COLORREF border;         // frame line
  COLORREF text;           // font colour
  COLORREF hotFace;        // under the pointer
  COLORREF hotBorder;
  COLORREF pressedFace;    // held down
  COLORREF pressedBorder;
  COLORREF focusBorder;    // has the keyboard focus
  COLORREF disabledText;
};

const SkinColors& Skin(SkinSection section);

// The colour of transparent labels drawn on a window of the skin.
COLORREF SkinFontColor();

// Fills r with c.
void FillSolid(HDC dc, const RECT& r, COLORREF c);
// Draws a one-pixel frame of colour c just inside r.
void FrameSolid(HDC dc, const RECT& r, COLORREF c);
