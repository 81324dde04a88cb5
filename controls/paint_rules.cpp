// The rectangles follow the window's size; the looks follow the control's state.
#include "controls/paint_rules.h"

#include <algorithm>

namespace {

// The field's sunken border is two pixels wide on each side.
constexpr int kBorders = 4;
// The formatting rectangle ends one pixel further right than the column's left edge less the
// border, since the edit insets it by one pixel inside a sunken border.
constexpr int kFormatRectGap = 3;

}  // namespace

int SpinColumnWidth(int scaled_width) noexcept { return std::max(scaled_width, kMinSpinColumnWidth); }

TBox SpinColumnPlace(int window_width, int window_height, int column_width) noexcept {
  const int left = window_width - column_width - kBorders;
  return {left, 0, left + column_width, std::max(window_height - kBorders, 0)};
}

TBox SpinFormatRect(int window_width, int client_height, int shown_column_width) noexcept {
  return {0, 0, std::max(window_width - shown_column_width - kFormatRectGap, 1), client_height};
}

TBox SpinButtonRect(int width, int height, bool up) noexcept {
  return up ? TBox{0, 0, width, height / 2} : TBox{0, height / 2, width, height};
}

std::vector<TBox> ArrowRows(const TBox& bounds, int scaled_half, bool up, bool pressed) {
  const int rows = std::max(scaled_half, 2) + 1;
  const int cx = (bounds.left + bounds.right - 1) / 2;
  const int top = bounds.top + (bounds.bottom - bounds.top - rows) / 2 + (pressed ? 1 : 0);
  std::vector<TBox> result;
  result.reserve(static_cast<std::size_t>(rows));
  for (int i = 0; i < rows; ++i) {
    const int reach = up ? i : rows - 1 - i;
    result.push_back({cx - reach, top + i, cx + reach + 1, top + i + 1});
  }
  return result;
}

TButtonContent ButtonContent(const TBox& bounds, int image_size, int gap, int text_width) noexcept {
  const int left = bounds.left + (bounds.right - bounds.left - (image_size + gap + text_width)) / 2;
  return {left, bounds.top + (bounds.bottom - bounds.top - image_size) / 2, left + (image_size ? image_size + gap : 0)};
}

TButtonLook PushButtonLook(bool pressed, bool hot, bool focused, bool disabled, bool hide_focus_rect) noexcept {
  const bool shows_hot = hot && !disabled;
  TButtonLook look;
  look.face = pressed ? TSkinState::Pressed : shows_hot ? TSkinState::Hot : TSkinState::Normal;
  look.border = pressed                 ? TSkinState::Pressed
                : focused && !disabled ? TSkinState::Focused
                : shows_hot            ? TSkinState::Hot
                                       : TSkinState::Normal;
  look.double_frame = focused && !pressed;
  look.disabled_text = disabled;
  look.focus_rect = focused && !hide_focus_rect;
  return look;
}

TButtonLook SpeedButtonLook(bool enabled, bool down, bool hot) noexcept {
  TButtonLook look;
  look.face = enabled && down ? TSkinState::Pressed : enabled && hot ? TSkinState::Hot : TSkinState::Normal;
  look.border = look.face;
  look.disabled_text = !enabled;
  return look;
}

TSkinState EditFrameState(bool focused, bool hot, bool enabled) noexcept {
  if (!enabled) return TSkinState::Normal;
  return focused ? TSkinState::Focused : hot ? TSkinState::Hot : TSkinState::Normal;
}

TColor FaceColor(const TSkinColors& skin, TSkinState state) noexcept {
  switch (state) {
    case TSkinState::Hot: return skin.hot_face;
    case TSkinState::Pressed: return skin.pressed_face;
    case TSkinState::Normal:
    case TSkinState::Focused: break;
  }
  return skin.face;
}

TColor BorderColor(const TSkinColors& skin, TSkinState state) noexcept {
  switch (state) {
    case TSkinState::Hot: return skin.hot_border;
    case TSkinState::Pressed: return skin.pressed_border;
    case TSkinState::Focused: return skin.focus_border;
    case TSkinState::Normal: break;
  }
  return skin.border;
}
