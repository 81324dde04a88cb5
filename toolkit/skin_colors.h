// The colours of the program's one built-in look, flat and light, the same in every window, and
// the system colours that take their places in high contrast. Controls name the section they are
// drawn with.
#pragma once

#include <cstdint>

enum class TSkinSection { Form, Edit, Button, Panel, GroupBox, SpeedButtonSmall };

// A colour as the system takes it: 0x00BBGGRR.
using TColor = std::uint32_t;
constexpr TColor Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) noexcept {
  return TColor{r} | TColor{g} << 8 | TColor{b} << 16;
}

struct TSkinColors {
  TColor face;            // background
  TColor border;          // frame line
  TColor text;            // font colour
  TColor hot_face;        // under the pointer
  TColor hot_border;
  TColor pressed_face;    // held down
  TColor pressed_border;
  TColor focus_border;    // has the keyboard focus
  TColor disabled_text;
};

// The look's own colours of a section.
TSkinColors LightSkin(TSkinSection section) noexcept;

// The system's colours high contrast draws with, read afresh for every paint.
struct TSystemColors {
  TColor window, window_text;
  TColor button_face, button_text;
  TColor hot_light, highlight, gray_text;
};

// A section's colours in high contrast: window and window text for fields, button face and button
// text elsewhere, hot light under the pointer, highlight for the focus and for a pressed button,
// grey text when disabled. The spin buttons stay flat: a frame only under the pointer or held
// down.
TSkinColors HighContrastSkin(TSkinSection section, const TSystemColors& system) noexcept;
