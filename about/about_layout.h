// Where the About window's controls stand, in pixels at 96 dpi relative to the window's client
// area: the picture behind everything, three texts over it and the panel with the close button.
#pragma once

#include "about/about_picture_shapes.h"
#include "toolkit/layout.h"

inline constexpr TRect96 kAboutImage{0, 0, kAboutPictureWidth, kAboutPictureHeight};
inline constexpr TRect96 kAboutPanel{0, 307, 500, 53};
inline constexpr TRect96 kAboutCloseButton{376, 7, 120, 39};  // on the panel
inline constexpr TRect96 kLabelAuth{3, 145, 494, 16};
inline constexpr TRect96 kLabelHelp{3, 167, 494, 13};
inline constexpr TRect96 kLabelRec{30, 184, 467, 123};

// The support line as high as its text (help_height, wrapped at its width), and the donation
// details below it down to the panel: a margin of 3 below the support line, of 1 above the
// details.
struct TAboutTextPlaces {
  TRect96 help, rec;
};
TAboutTextPlaces AboutTextPlaces(int help_height) noexcept;
