// The About window's picture: a blue header band with the program's emblem, name and slogan, a
// grey shade below it and white behind the texts.
#pragma once

#include <windows.h>

#include "toolkit/handle_win.h"

// The picture's size and its parts, in pixels at 96 dpi.
inline constexpr int kAboutPictureWidth = 500;
inline constexpr int kAboutPictureHeight = 360;
inline constexpr int kAboutBandHeight = 118;  // the header band ends here
inline constexpr int kAboutShadeEnd = 170;    // the grey shade below it has faded to white here

// Draws the picture for dpi into a 24-bit DIB section of 500 x 360 pixels scaled to dpi.
// Throws EOutOfResources when the system refuses the bitmaps.
TUniqueBitmap DrawAboutPicture(UINT dpi);
