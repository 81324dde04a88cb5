// How the skinned controls are drawn, apart from the drawing itself: where their parts stand, in
// pixels, and which of the skin's colour sets each state takes.
#pragma once

#include <vector>

#include "toolkit/layout.h"
#include "toolkit/skin_colors.h"


// The spin field's column at 96 dpi; in pixels it never gets narrower than kMinSpinColumnWidth.
constexpr int kSpinColumnWidth96 = 18;
constexpr int kMinSpinColumnWidth = 15;

// The column's width in pixels, from kSpinColumnWidth96 scaled to the field's dpi.
int SpinColumnWidth(int scaled_width) noexcept;
// Where the column stands in the field's client area: at its right edge, inside the sunken border
// of two pixels a side, as high as the client area.
TBox SpinColumnPlace(int window_width, int window_height, int column_width) noexcept;
// The field's formatting rectangle, given the width of the column shown (0 when hidden): its text
// ends exactly where the column begins, since the edit insets the rectangle by one pixel inside a
// sunken border. Never narrower than one pixel.
TBox SpinFormatRect(int window_width, int client_height, int shown_column_width) noexcept;
// The up button over the down button in a column of width × height; the down one takes the odd
// pixel.
TBox SpinButtonRect(int width, int height, bool up) noexcept;
// A small solid triangle centred in bounds, as rows one pixel high so its edges stay crisp: the
// half width is scaled_half but at least 2 pixels, and a pressed button's arrow sits a pixel lower.
std::vector<TBox> ArrowRows(const TBox& bounds, int scaled_half, bool up, bool pressed);

// Where a push button's image and caption stand: together centred across the button, the image
// centred from top to bottom.
struct TButtonContent {
  int image_left, image_top, text_left;
};
TButtonContent ButtonContent(const TBox& bounds, int image_size, int gap, int text_width) noexcept;

// Which of a skin section's colour sets a part is drawn in.
enum class TSkinState { Normal, Hot, Pressed, Focused };

struct TButtonLook {
  TSkinState face = TSkinState::Normal;  // never Focused
  TSkinState border = TSkinState::Normal;
  bool double_frame = false;   // a second frame line just inside the first
  bool disabled_text = false;
  bool focus_rect = false;
};

// The push button: pressed shows even when disabled; hot and focused only when enabled; a focused
// button not held down has a double frame; the focus rectangle unless the system hides it.
TButtonLook PushButtonLook(bool pressed, bool hot, bool focused, bool disabled, bool hide_focus_rect) noexcept;
// The spin button: pressed and hot only when it and its column are enabled. Its face and border
// take the same state.
TButtonLook SpeedButtonLook(bool enabled, bool down, bool hot) noexcept;
// The edit field's frame: the focus before the pointer, neither when disabled.
TSkinState EditFrameState(bool focused, bool hot, bool enabled) noexcept;

// The colours of a state in a section's colours: a focused face is the normal one.
TColor FaceColor(const TSkinColors& skin, TSkinState state) noexcept;
TColor BorderColor(const TSkinColors& skin, TSkinState state) noexcept;
