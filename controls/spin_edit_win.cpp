// The numeric entry field: a skinned edit with a column of two small spin buttons.
#include "controls/spin_edit_win.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "toolkit/scope_exit.h"
#include "toolkit/text.h"
#include "toolkit/wide.h"

namespace {

// Widths of the column at 96 dpi; the column never gets narrower than the minimum in pixels.
constexpr int kColumnWidth96 = 18;
constexpr int kMinColumnWidth = 15;
// The field's sunken border is two pixels wide on each side; the column stands inside it.
constexpr int kBorders = 4;
// The formatting rectangle ends one pixel further right, since the edit insets it by one
// pixel inside a sunken border: its text then ends exactly where the column begins.
constexpr int kFormatRectGap = 3;

}  // namespace

// ---------------------------------------------------------------------------------------------
// TsTimerSpeedButton

TsTimerSpeedButton::TsTimerSpeedButton(TsSpinButton& owner, TArrow arrow) : owner_(owner), arrow_(arrow) {
  Place(&owner, {});
}

void TsTimerSpeedButton::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (!enabled) MouseUp(false);
  Invalidate();
}

void TsTimerSpeedButton::SetBoundsRect(const RECT& bounds) {
  Invalidate();
  bounds_ = bounds;
  Invalidate();
}

void TsTimerSpeedButton::SetHot(bool hot) {
  if (hot == hot_) return;
  hot_ = hot;
  Invalidate();
}

void TsTimerSpeedButton::MouseEnter() { SetHot(true); }
void TsTimerSpeedButton::MouseLeave() { SetHot(false); }

void TsTimerSpeedButton::MouseDown() {
  if (!enabled_ || !owner_.Enabled()) return;
  down_ = true;
  Invalidate();
  if (!(TimeBtnState & tbAllowTimer)) return;
  if (!FRepeatTimer) {
    auto timer = std::make_unique<TTimer>();
    timer->SetEnabled(false);
    timer->SetOnTimer([this](TObject*) { TimerExpired(); });
    FRepeatTimer = std::move(timer);
  }
  // A fresh count of the first, longer interval on every press.
  FRepeatTimer->SetEnabled(false);
  FRepeatTimer->SetInterval(400);
  FRepeatTimer->SetEnabled(true);
}

void TsTimerSpeedButton::MouseUp(bool over) {
  const bool was_down = std::exchange(down_, false);
  Invalidate();
  if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
  if (over && was_down) Click();
}

void TsTimerSpeedButton::TimerExpired() {
  FRepeatTimer->SetInterval(100);
  if (!down_ || !owner_.HoldsCapture(this)) return;
  try {
    Click();
  } catch (...) {
    // Stopped first, so no further tick can fail again while the failure is being reported.
    FRepeatTimer->SetEnabled(false);
    throw;
  }
}

void TsTimerSpeedButton::Paint(HDC dc, const RECT& bounds) {
  const TSkinColors skin = Skin(TSkinSection::SpeedButtonSmall);
  const bool enabled = enabled_ && owner_.Enabled();
  const bool pressed = enabled && down_;
  const bool hot = enabled && hot_;
  const COLORREF face = pressed ? skin.pressed_face : hot ? skin.hot_face : skin.face;
  const COLORREF border = pressed ? skin.pressed_border : hot ? skin.hot_border : skin.border;
  FillSolid(dc, bounds, face);
  if (border != face) FrameSolid(dc, bounds, border);

  // A small solid triangle, built from rows one pixel high so its edges stay crisp.
  const int half = std::max(owner_.Scale(3), 2);
  const int rows = half + 1;
  const int cx = (bounds.left + bounds.right - 1) / 2;
  const int top = bounds.top + (bounds.bottom - bounds.top - rows) / 2 + (pressed ? 1 : 0);
  const COLORREF color = enabled ? skin.text : skin.disabled_text;
  for (int i = 0; i < rows; ++i) {
    const int reach = arrow_ == TArrow::Up ? i : rows - 1 - i;
    FillSolid(dc, RECT{cx - reach, top + i, cx + reach + 1, top + i + 1}, color);
  }
  if (TimeBtnState & tbFocusRect) {
    RECT focus = bounds;
    ::InflateRect(&focus, -owner_.Scale(3), -owner_.Scale(3));
    ::DrawFocusRect(dc, &focus);
  }
}

// ---------------------------------------------------------------------------------------------
// TsSpinButton

TsSpinButton::TsSpinButton()
    : TContainer(TSkinSection::SpeedButtonSmall),
      UpButton(*this, TsTimerSpeedButton::TArrow::Up), DownButton(*this, TsTimerSpeedButton::TArrow::Down) {
  UpButton.TimeBtnState = tbAllowTimer;
  DownButton.TimeBtnState = tbAllowTimer;
  UpButton.OnClick = [this](TObject*) { Fire(OnUpClick, this); };
  DownButton.OnClick = [this](TObject*) { Fire(OnDownClick, this); };
}

void TsSpinButton::Create(TWinControl& field) {
  RegisterContainerClass();
  CreateOwnWindow(kClassName, WS_CHILD | WS_CLIPSIBLINGS, 0, nullptr, TRect96{}, field.Handle());
  FocusControl = &field;
  ApplyDpi(field.Dpi());
}

void TsSpinButton::SetPlacement(const RECT& bounds) {
  placement_ = bounds;
  if (Handle()) PlaceWindow();
  LayoutButtons();
}

void TsSpinButton::PlaceWindow() {
  ::SetWindowPos(Handle(), nullptr, placement_.left, placement_.top, placement_.right - placement_.left,
                 placement_.bottom - placement_.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TsSpinButton::LayoutButtons() {
  const int width = placement_.right - placement_.left;
  const int height = placement_.bottom - placement_.top;
  UpButton.SetBoundsRect(RECT{0, 0, width, height / 2});
  DownButton.SetBoundsRect(RECT{0, height / 2, width, height});
}

void TsSpinButton::SetEnabled(bool enabled) {
  TWinControl::SetEnabled(enabled);
  UpButton.SetEnabled(enabled);
  DownButton.SetEnabled(enabled);
}

bool TsSpinButton::HoldsCapture(const TsTimerSpeedButton* button) const noexcept {
  return button && PressedGraphic() == button && ::GetCapture() == Handle();
}

LRESULT TsSpinButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDOWN:
      if (FocusControl && FocusControl->TabStop() && FocusControl->CanFocus() && !FocusControl->Focused()) {
        FocusControl->SetFocus();
      }
      break;
    case WM_ENABLE:
      ::InvalidateRect(Handle(), nullptr, FALSE);
      break;
    case WM_SIZE:
      ::InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    default:
      break;
  }
  return TContainer::WndProc(msg, wp, lp);
}

// ---------------------------------------------------------------------------------------------
// TsBaseSpinEdit

void TsBaseSpinEdit::CreateField(TContainer& parent, const TRect96& bounds, const TFontSpec& font, Style style) {
  alignment_ = style.alignment;
  // Multi-line, so that the formatting rectangle can keep the text clear of the column.
  style.multi_line = true;
  style.sunken_border = true;
  loading_ = true;
  TEdit::Create(parent, bounds, font, style);
  Button.Create(*this);
  Button.OnUpClick = [this](TObject*) { UpClick(); };
  Button.OnDownClick = [this](TObject*) { DownClick(); };
  LayoutColumn();
}

void TsBaseSpinEdit::Loaded() {
  loading_ = false;
  UpdateColumnState();
}

void TsBaseSpinEdit::SetShowSpinButtons(bool show) {
  show_spin_buttons_ = show;
  UpdateColumnState();
}

int TsBaseSpinEdit::ColumnWidth() const noexcept { return std::max(Scale(kColumnWidth96), kMinColumnWidth); }

void TsBaseSpinEdit::ApplyDpi(UINT dpi) {
  if (Button.Handle()) Button.ApplyDpi(dpi);
  TsEdit::ApplyDpi(dpi);
  LayoutColumn();
}

void TsBaseSpinEdit::LayoutColumn() {
  if (!Handle() || !Button.Handle()) return;
  RECT window;
  ::GetWindowRect(Handle(), &window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  const int column = ColumnWidth();
  const int left = width - column - kBorders;
  Button.SetPlacement(RECT{left, 0, left + column, std::max(height - kBorders, 0)});
  UpdateFormatRect();
}

void TsBaseSpinEdit::UpdateFormatRect() {
  if (!Handle()) return;
  RECT window, client;
  ::GetWindowRect(Handle(), &window);
  ::GetClientRect(Handle(), &client);
  const int column = Button.Handle() && Button.Visible() ? ColumnWidth() : 0;
  RECT r{0, 0, std::max<LONG>(window.right - window.left - column - kFormatRectGap, 1), client.bottom};
  ::SendMessageW(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

void TsBaseSpinEdit::UpdateColumnState() {
  if (!Handle() || !Button.Handle()) return;
  const bool enabled = ::IsWindowEnabled(Handle()) != FALSE;
  Button.SetEnabled(enabled);
  // The skin hides the column of a disabled field.
  Button.SetVisible(!loading_ && show_spin_buttons_ && enabled);
  UpdateFormatRect();
}

void TsBaseSpinEdit::Beep() { ::MessageBeep(MB_OK); }

bool TsBaseSpinEdit::JumpToTabControl(WPARAM key) {
  if (key != VK_TAB && key != VK_RETURN) return false;
  TWinControl* target = ::GetKeyState(VK_SHIFT) < 0 ? PrevTabControl : NextTabControl;
  if (!target) return false;
  target->SetFocus();
  return true;
}

bool TsBaseSpinEdit::Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_COMMAND && HIWORD(wp) == EN_CHANGE) {
    if (setting_text_) {
      result = 0;  // raised once the new text is in place
      return true;
    }
    TextChanged();
  }
  return TsEdit::Reflect(msg, wp, lp, result);
}

TsBaseSpinEdit::TTextRoute TsBaseSpinEdit::RouteOf(UINT msg) const noexcept {
  if (writing_) return TTextRoute::Taken;
  switch (msg) {
    case WM_CHAR:  // what the character filter lets through
    case WM_IME_CHAR:
    case WM_KEYDOWN:  // Delete; the keys that cut and paste are sent on as their messages
    case WM_SYSKEYDOWN:
    case WM_SYSCHAR:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
      return TTextRoute::Taken;
    case WM_SETTEXT:
    case EM_REPLACESEL:
      // The program's own writes come from this thread; another program's from its own.
      return ::InSendMessage() ? TTextRoute::Arrived : TTextRoute::Taken;
    default:
      // WM_PASTE, an input method's composition, a menu that pastes by itself, whatever else.
      return TTextRoute::Arrived;
  }
}

void TsBaseSpinEdit::WriteText(std::wstring_view text) {
  const bool outer = std::exchange(writing_, true);
  const TScopeExit restore([this, outer] { writing_ = outer; });
  SetText(text);
}

void TsBaseSpinEdit::TextChanged() {
  if (route_ == TTextRoute::Arrived) {
    arrived_ = true;
  } else {
    TextTaken();
  }
}

bool TsBaseSpinEdit::PreTranslateKey(const MSG& msg) {
  return msg.message == WM_KEYDOWN && JumpToTabControl(msg.wParam);
}

LRESULT TsBaseSpinEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  const TTextRoute outer = route_;
  route_ = RouteOf(msg);
  ++depth_;
  const TScopeExit restore([this, outer] {
    route_ = outer;
    --depth_;
  });
  const LRESULT result = FieldProc(msg, wp, lp);
  // Judged once the edit is done with its text, never in the middle of its own handling.
  if (depth_ == 1 && arrived_ && Handle()) {
    arrived_ = false;
    route_ = TTextRoute::Taken;
    TextArrived();
  }
  return result;
}

LRESULT TsBaseSpinEdit::FieldProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_GETDLGCODE:
      // Characters and arrows, but not Tab and Enter: the window's navigation keeps those.
      return DLGC_WANTCHARS | DLGC_WANTARROWS;
    case WM_KEYDOWN: {
      if (wp == VK_UP) {
        UpClick();
        return 0;
      }
      if (wp == VK_DOWN) {
        DownClick();
        return 0;
      }
      if (JumpToTabControl(wp)) return 0;
      const LRESULT result = TsEdit::WndProc(msg, wp, lp);
      UpdateFormatRect();
      return result;
    }
    case WM_CHAR:
    case WM_IME_CHAR: {
      // Ctrl+V and Ctrl+X go through their messages whatever the edit does with them.
      if (wp == 0x16) return ::SendMessageW(Handle(), WM_PASTE, 0, 0);
      if (wp == 0x18) return ::SendMessageW(Handle(), WM_CUT, 0, 0);
      const std::u16string text = U16(Text());
      const auto [start, end] = Selection();
      const TCharContext context{EditorEnabled, AllowNegative, NegativeInRange(), text, start, end};
      switch (FilterTypedChar(static_cast<char16_t>(wp), context)) {
        case TCharVerdict::Consume:
          return 0;
        case TCharVerdict::Refuse:
          Beep();
          return 0;
        case TCharVerdict::Pass:
          break;
      }
      break;
    }
    case WM_SETTEXT: {
      // A multi-line edit raises no change notification for a new window text: the field
      // raises it, and only when the text really changed.
      const std::wstring before = Text();
      setting_text_ = true;
      const LRESULT result = TsEdit::WndProc(msg, wp, lp);
      setting_text_ = false;
      if (Text() != before) {
        TextChanged();
        Fire(OnChange, this);
      }
      return result;
    }
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
      if (!TextEditable()) return 0;
      break;
    case WM_SIZE:
    case WM_SETFONT: {
      // The edit resets its formatting rectangle on both.
      const LRESULT result = TsEdit::WndProc(msg, wp, lp);
      LayoutColumn();
      return result;
    }
    case WM_ENABLE: {
      const LRESULT result = TsEdit::WndProc(msg, wp, lp);
      UpdateColumnState();
      return result;
    }
    case WM_LBUTTONDOWN: {
      // The click itself places the caret after the focus has arrived: select all after it.
      const bool had_focus = Focused();
      const LRESULT result = TsEdit::WndProc(msg, wp, lp);
      if (!had_focus && Focused() && AutoSelect) SelectAll();
      return result;
    }
    default:
      break;
  }
  return TsEdit::WndProc(msg, wp, lp);
}

// ---------------------------------------------------------------------------------------------
// TsSpinEdit

void TsSpinEdit::Create(TContainer& parent, const TRect96& bounds, const TFontSpec& font,
                        const TSpinEditLayout& layout) {
  CreateField(parent, bounds, font,
              {.read_only = layout.ReadOnly, .numbers_only = layout.NumbersOnly, .alignment = layout.Alignment});
  WriteText(layout.Text);
  MinValue = layout.MinValue;
  MaxValue = layout.MaxValue;
  Increment = layout.Increment;
  SetShowSpinButtons(layout.ShowSpinButtons);
  SetValue(layout.Value);  // still loading: nothing is bounded at load time
  Loaded();
}

TSpinRules TsSpinEdit::Rules() const noexcept {
  return TSpinRules{.MinValue = MinValue, .MaxValue = MaxValue, .Increment = Increment, .AllowNegative = AllowNegative};
}

std::int32_t TsSpinEdit::Value() const { return Rules().ReadValue(U16(Text())); }

void TsSpinEdit::SetValue(std::int32_t value) {
  if (Loading()) return;
  WriteText(Wide(Rules().ValueText(value)));
}

void TsSpinEdit::Step(std::int32_t notches, const TNotifyEvent& replacement) {
  if (ReadOnly()) {
    Beep();
  } else if (replacement) {
    replacement(this);
  } else {
    WriteText(Wide(Rules().StepText(U16(Text()), notches)));
  }
}

void TsSpinEdit::StepUp() { Step(1, OnUpClick); }
void TsSpinEdit::StepDown() { Step(-1, OnDownClick); }

void TsSpinEdit::DoEnter() {
  wheel_.Reset();
  TsBaseSpinEdit::DoEnter();
}

void TsSpinEdit::DoExit() {
  wheel_.Reset();
  TsBaseSpinEdit::DoExit();
  Normalize();
}

void TsSpinEdit::Normalize() {
  // Two writes, each raising its change: the lone minus or minus zero becomes "0" first.
  if (IsBareMinusZero(U16(Text()))) WriteText(L"0");
  WriteText(Wide(Rules().ExitText(U16(Text()))));
}

void TsSpinEdit::TextTaken() { kept_ = Value(); }

void TsSpinEdit::TextArrived() {
  if (!ParseIntegerText(U16(Text()))) WriteText(Wide(DecimalText(kept_)));
  // A field without the focus will not be left before a command reads it: the text another
  // program put there takes the bounds now, as leaving the field would give them.
  if (!Focused()) Normalize();
  kept_ = Value();
}

bool TsSpinEdit::MouseWheel(WORD, int delta, POINT) {
  // Whole notches step, with what earlier small turns left; the text is written in normal form
  // even for less than one.
  const std::int32_t notches = wheel_.Notches(delta);
  if (!ReadOnly()) WriteText(Wide(Rules().StepText(U16(Text()), notches)));
  return true;  // handled also when read-only: the multi-line edit must not scroll
}
