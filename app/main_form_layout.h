// Where the main window's controls stand, in pixels at 96 dpi relative to their parent's client
// area, and the fonts of its fields and banner.
#pragma once

#include "toolkit/layout.h"
#include "toolkit/skin_colors.h"

inline constexpr int kClientWidth = 524;
inline constexpr int kClientHeight = 136;
// On the window: the group of the two fields, the password, the panel of buttons, the banner.
inline constexpr TRect96 kGroupBox{0, 0, 524, 49};
inline constexpr TRect96 kEditPass{3, 52, 518, 24};
inline constexpr TRect96 kPanel{0, 79, 524, 44};
inline constexpr TRect96 kLabelReclam{0, 123, 524, 13};
// In the group: the alphabet and the length.
inline constexpr TRect96 kEditMask{5, 21, 447, 23};
inline constexpr TRect96 kSpinEdit{458, 21, 61, 23};
// On the panel: Generate, the password file, About and Exit.
inline constexpr TRect96 kBtnGen{4, 4, 145, 36};
inline constexpr TRect96 kBtnGenFile{155, 4, 47, 36};
inline constexpr TRect96 kBtnAbout{270, 4, 145, 36};
inline constexpr TRect96 kBtnExit{421, 4, 99, 36};

inline constexpr TFontSpec kFieldFont{L"Tahoma", 13, false, false, Rgb(0, 0, 0)};
inline constexpr TFontSpec kBannerFont{L"Tahoma", 11, true, false, Rgb(0, 0, 0)};
