// Placement is clamped after centring, so the centre wins where the window fits and the top-left
// corner where it does not; the dialog keys follow the system's dialog manager.
#include "toolkit/form_rules.h"

#include <algorithm>

TPlace CenteredPlace(const TBox& area, const TBox& bounds, std::int32_t width, std::int32_t height) noexcept {
  const std::int32_t x = area.left + (area.right - area.left - width) / 2;
  const std::int32_t y = area.top + (area.bottom - area.top - height) / 2;
  return TPlace{std::max(std::min(x, bounds.right - width), bounds.left),
                std::max(std::min(y, bounds.bottom - height), bounds.top)};
}

TPlace SaveDialogPlace(const TBox& monitor, std::int32_t width, std::int32_t height) noexcept {
  return TPlace{std::max(monitor.left + (monitor.right - monitor.left - width) / 2, monitor.left),
                std::max(monitor.top + (monitor.bottom - monitor.top - height) / 3, monitor.top)};
}

TPlacement PlacementFor(TPosition position, const TScreens& screens) noexcept {
  switch (position) {
    case TPosition::ScreenCenter:
      break;
    case TPosition::MainFormCenter:
      if (screens.main_window) return TPlacement{*screens.main_window, screens.main_work_area};
      break;
    case TPosition::DesktopCenter:
      return TPlacement{screens.desktop, screens.desktop};
  }
  return TPlacement{screens.primary, screens.primary};
}

TDialogAction DialogKeyAction(TDialogKey key, const TDialogKeyState& state) noexcept {
  if (state.ctrl_or_alt) return TDialogAction::PassOn;
  if (!state.focus_inside) return key == TDialogKey::Tab ? TDialogAction::FocusFirst : TDialogAction::PassOn;
  if (state.wants_all_keys) return TDialogAction::PassOn;
  switch (key) {
    case TDialogKey::Tab:
      if (state.wants_tab) return TDialogAction::PassOn;
      return state.shift ? TDialogAction::TabPrevious : TDialogAction::TabNext;
    case TDialogKey::Return:
      return state.is_button ? TDialogAction::Click : TDialogAction::Swallow;
    case TDialogKey::Escape:
      return TDialogAction::Swallow;
    case TDialogKey::Left:
    case TDialogKey::Up:
      return state.wants_arrows ? TDialogAction::PassOn : TDialogAction::ArrowPrevious;
    case TDialogKey::Right:
    case TDialogKey::Down:
      return state.wants_arrows ? TDialogAction::PassOn : TDialogAction::ArrowNext;
  }
  return TDialogAction::PassOn;
}
