// The About window's picture: a blue header band with the program's emblem, name and slogan, a
// grey shade below it and white behind the texts.
#pragma once

#include <windows.h>

#include "about/about_picture_shapes.h"
#include "toolkit/handle_win.h"

// Draws the picture for dpi into a 24-bit DIB section of 500 x 360 pixels scaled to dpi.
// Throws EOutOfResources when the system refuses the bitmaps.
TUniqueBitmap DrawAboutPicture(UINT dpi);
