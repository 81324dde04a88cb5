// Top-level windows: frame, caption, placement, DPI, keyboard navigation, focus, modal display.
#pragma once

#include <string>

#include "toolkit/form_rules.h"
#include "toolkit/skin_win.h"
#include "toolkit/window_win.h"

class TForm : public TContainer {
public:
  // Creates the window, hidden, with a client area of the given size at 96 dpi.
  TForm(TBorderStyle border, TPosition position, int client_width, int client_height, const TFontSpec& font);
  ~TForm() override;

  void SetCaption(std::wstring_view caption) { SetText(caption); }
  // Shows the window; the first time, places it by its position rule.
  void Show() override;
  // Shows the window modally: the program's other windows are disabled and messages keep being
  // dispatched until ModalResult becomes non-zero; returns it. The window is hidden after.
  int ShowModal();
  // Closes the window: a modal window ends with mrCancel, the main window ends the program
  // (posts the quit request and stays on screen until the loop ends), any other one hides.
  void Close();

  int ModalResult() const noexcept { return modal_result_; }
  void SetModalResult(int result) noexcept { modal_result_ = result; }
  bool Modal() const noexcept { return modal_; }

  // The control that has, or last had, the keyboard focus in this window.
  TWinControl* ActiveControl() const noexcept { return FromHandle(active_control_); }
  // The pointer shown over the window's own client area (nullptr: the class's arrow). A pointer
  // over that area now takes the new shape at once, not at its next move.
  void SetCursorShape(LPCWSTR cursor) noexcept;
  LPCWSTR CursorShape() const noexcept { return cursor_; }

  // Adds a tooltip to a control of this window.
  void AddToolTip(TWinControl& control, const std::wstring& text);
  HWND ToolTipWindow() const noexcept { return tooltip_.Get(); }

  // Rescales the tooltips' width with the rest.
  void ApplyDpi(UINT dpi) override;
  // The window's keyboard navigation: Tab and Shift+Tab through the tab order, arrows among the
  // controls of one parent, Enter on a button clicks it; Enter and Escape elsewhere do nothing.
  // Keys that the focused control claims (WM_GETDLGCODE) are left to it.
  bool DialogKey(const MSG& msg) override;

protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void PlaceWindow() override;
  // Keeps the control that has the focus, and tells it and the one before it (DoEnter, DoExit).
  void FocusReceived(TWinControl* control) override;
  // Hands a wheel turn that reached any window of this form to the window that has the focus,
  // when that is this form or one of its controls; with the focus elsewhere nothing acts on it.
  TWheelRoute RouteMouseWheel(WPARAM wp, LPARAM lp) override;

private:
  void PlaceFirstTime();
  RECT WindowRectFor(UINT dpi) const;
  void FocusFirst();
  // The tooltips' widest line and the room at the right of their lines, for the current dpi.
  void ScaleToolTips();
  // A control of the window holding the mouse (a spin button held down) lets go: the window is
  // being disabled, as a modal window or a box opens, or the system cancels modes.
  void CancelChildCapture();
  // Draws the window and all its controls, frames included, anew: the colours have changed.
  void RepaintAll();

  TBorderStyle border_;
  TPosition position_;
  bool placed_ = false;
  bool modal_ = false;
  bool handing_wheel_ = false;
  bool drawn_high_contrast_ = HighContrast();
  int modal_result_ = mrNone;
  HWND active_control_ = nullptr;
  LPCWSTR cursor_ = nullptr;
  TUniqueWindow tooltip_;
};
