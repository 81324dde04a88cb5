// The decisions of a form that need no window: its kinds of frame and placement, where it is
// placed when first shown, and what a dialog key (Tab, Enter, Esc, an arrow) does with the focus.
#pragma once

#include <cstdint>
#include <optional>

#include "toolkit/layout.h"


enum class TBorderStyle {
  Dialog,      // fixed dialog frame: caption with a close box, not resizable
  ToolWindow,  // thin caption with a close box, no task-bar button, not resizable
};

enum class TPosition {
  ScreenCenter,    // centred on the primary monitor
  MainFormCenter,  // centred over the main window
  DesktopCenter,   // centred on the rectangle spanning all monitors
};

// Modal results.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

// What the screens look like when a form is first shown: the primary monitor, the rectangle
// spanning all monitors, and the main window with the work area of its monitor when the main
// window is another, visible one.
struct TScreens {
  TBox primary;
  TBox desktop;
  std::optional<TBox> main_window;
  TBox main_work_area{};
};

// Where a form of position is centred (area) and the rectangle it is kept inside (bounds).
struct TPlacement {
  TBox area, bounds;
};
TPlacement PlacementFor(TPosition position, const TScreens& screens) noexcept;

// The top-left corner of a window of width × height centred on area and then moved inside
// bounds; a window larger than bounds keeps bounds' top-left corner, so its caption stays on the
// screen.
TPlace CenteredPlace(const TBox& area, const TBox& bounds, std::int32_t width, std::int32_t height) noexcept;

// Where the system's save dialog goes on the monitor of the program's active window: centred
// across it, its top at a third of the room above and below. A dialog larger than the monitor
// keeps the monitor's top-left corner, so its caption stays on the screen.
TPlace SaveDialogPlace(const TBox& monitor, std::int32_t width, std::int32_t height) noexcept;

enum class TDialogKey { Tab, Return, Escape, Left, Right, Up, Down };

// What the form knows when a dialog key goes down: the modifiers, whether the focus is in one of
// its controls, and what that control asked for (its dialog code; all false when the focus is
// elsewhere).
struct TDialogKeyState {
  bool ctrl_or_alt = false;
  bool shift = false;
  bool focus_inside = false;
  bool wants_all_keys = false;  // the control takes every key itself
  bool wants_tab = false;
  bool wants_arrows = false;
  bool is_button = false;
};

enum class TDialogAction {
  PassOn,         // not a dialog key here: the control gets the key
  FocusFirst,     // the focus to the form's first control
  TabNext,        // the focus to the next or previous control in the tab order
  TabPrevious,
  ArrowNext,      // the focus to the next or previous control of the same parent
  ArrowPrevious,
  Click,          // the focused button clicks
  Swallow,        // the key does nothing
};

TDialogAction DialogKeyAction(TDialogKey key, const TDialogKeyState& state) noexcept;

// Whether the action moves the focus by the keyboard, after which the focus rectangles show.
constexpr bool ShowsFocusCues(TDialogAction action) noexcept {
  return action == TDialogAction::TabNext || action == TDialogAction::TabPrevious ||
         action == TDialogAction::ArrowNext || action == TDialogAction::ArrowPrevious;
}
