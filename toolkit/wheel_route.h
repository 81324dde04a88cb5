// Who acts on a turn of the mouse wheel. Windows 10 and 11 send the wheel to the window under the
// pointer, Wine and older Windows to the focus: either way a form hands it, once, to the control
// that has the focus.
#pragma once

// How the top of a tree of controls takes a wheel turn that reached one of its windows.
enum class TWheelRoute {
  Own,      // nobody routes it: the window that received the turn handles it
  Handed,   // handed on to the window that has the focus; nobody else acts on it
  ToFocus,  // the turn on its way to the focus: only the focused control acts on it
};

enum class TWheelAction {
  Drop,     // the turn ends here, unused
  Default,  // the window's default handling gets it
  Offer,    // offered to the control and its parents' handlers
};

// What a window does with a turn its form routed: a turn handed on is not its own; a control
// without the focus never acts on the wheel, and a turn on its way to the focus ends with it.
constexpr TWheelAction WheelActionFor(TWheelRoute route, bool focused) noexcept {
  if (route == TWheelRoute::Handed) return TWheelAction::Drop;
  if (focused) return TWheelAction::Offer;
  return route == TWheelRoute::ToFocus ? TWheelAction::Drop : TWheelAction::Default;
}
