// The numeric entry field: a skinned edit with a column of two small spin buttons.
#include "controls/spin_edit_win.h"

#include <commctrl.h>

#include <utility>

#include "toolkit/scope_exit.h"
#include "toolkit/text.h"
#include "toolkit/wide.h"

namespace {

TFieldMessage FieldMessageOf(UINT msg) noexcept {
  switch (msg) {
    case WM_CHAR: return TFieldMessage::Char;
    case WM_IME_CHAR: return TFieldMessage::ImeChar;
    case WM_SYSCHAR: return TFieldMessage::SysChar;
    case WM_KEYDOWN: return TFieldMessage::KeyDown;
    case WM_SYSKEYDOWN: return TFieldMessage::SysKeyDown;
    case WM_CUT: return TFieldMessage::Cut;
    case WM_CLEAR: return TFieldMessage::Clear;
    case WM_UNDO:
    case EM_UNDO: return TFieldMessage::Undo;
    case WM_SETTEXT: return TFieldMessage::SetText;
    case EM_REPLACESEL: return TFieldMessage::ReplaceSel;
    case WM_PASTE: return TFieldMessage::Paste;
    default: return TFieldMessage::Other;
  }
}

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
  Apply(press_.Press(enabled_ && owner_.Enabled(), TimeBtnState & tbAllowTimer));
}

void TsTimerSpeedButton::MouseUp(bool over) {
  const TPressStep step = press_.Release(over);
  Apply(step);
  if (step.click) Click();
}

void TsTimerSpeedButton::TimerExpired() {
  const TPressStep step = press_.Tick(owner_.HoldsCapture(this));
  Apply(step);
  if (!step.click) return;
  try {
    Click();
  } catch (...) {
    // Stopped first, so no further tick can fail again while the failure is being reported.
    FRepeatTimer->SetEnabled(false);
    throw;
  }
}

void TsTimerSpeedButton::Apply(const TPressStep& step) {
  if (step.repaint) Invalidate();
  switch (step.timer) {
    case TTimerOrder::Keep:
      break;
    case TTimerOrder::Restart:
      if (!FRepeatTimer) {
        auto timer = std::make_unique<TTimer>();
        timer->SetEnabled(false);
        timer->SetOnTimer([this](TObject*) { TimerExpired(); });
        FRepeatTimer = std::move(timer);
      }
      FRepeatTimer->SetEnabled(false);
      FRepeatTimer->SetInterval(step.interval);
      FRepeatTimer->SetEnabled(true);
      break;
    case TTimerOrder::Interval:
      if (FRepeatTimer) FRepeatTimer->SetInterval(step.interval);
      break;
    case TTimerOrder::Stop:
      if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
      break;
  }
}

void TsTimerSpeedButton::Paint(HDC dc, const RECT& bounds) {
  const TSkinColors skin = Skin(TSkinSection::SpeedButtonSmall);
  const TButtonLook look = SpeedButtonLook(enabled_ && owner_.Enabled(), press_.Down(), hot_);
  const COLORREF face = FaceColor(skin, look.face);
  const COLORREF border = BorderColor(skin, look.border);
  FillSolid(dc, bounds, face);
  if (border != face) FrameSolid(dc, bounds, border);
  const COLORREF color = look.disabled_text ? skin.disabled_text : skin.text;
  for (const TBox& row :
       ArrowRows(BoxOf(bounds), owner_.Scale(3), arrow_ == TArrow::Up, look.face == TSkinState::Pressed)) {
    FillSolid(dc, ToRect(row), color);
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
  UpButton.SetBoundsRect(ToRect(SpinButtonRect(width, height, true)));
  DownButton.SetBoundsRect(ToRect(SpinButtonRect(width, height, false)));
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

int TsBaseSpinEdit::ColumnWidth() const noexcept { return SpinColumnWidth(Scale(kSpinColumnWidth96)); }

void TsBaseSpinEdit::ApplyDpi(UINT dpi) {
  if (Button.Handle()) Button.ApplyDpi(dpi);
  TsEdit::ApplyDpi(dpi);
  LayoutColumn();
}

void TsBaseSpinEdit::LayoutColumn() {
  if (!Handle() || !Button.Handle()) return;
  RECT window;
  ::GetWindowRect(Handle(), &window);
  Button.SetPlacement(ToRect(SpinColumnPlace(window.right - window.left, window.bottom - window.top, ColumnWidth())));
  UpdateFormatRect();
}

void TsBaseSpinEdit::UpdateFormatRect() {
  if (!Handle()) return;
  RECT window, client;
  ::GetWindowRect(Handle(), &window);
  ::GetClientRect(Handle(), &client);
  const int column = Button.Handle() && Button.Visible() ? ColumnWidth() : 0;
  RECT r = ToRect(SpinFormatRect(window.right - window.left, client.bottom, column));
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

std::u16string TsBaseSpinEdit::FieldText() const { return U16(Text()); }

void TsBaseSpinEdit::WriteText(std::u16string_view text) {
  const bool outer = std::exchange(writing_, true);
  const TScopeExit restore([this, outer] { writing_ = outer; });
  SetText(Wide(text));
}

void TsBaseSpinEdit::TextChanged() {
  if (router_.TakeChange()) TextTaken();
}

bool TsBaseSpinEdit::PreTranslateKey(const MSG& msg) {
  return msg.message == WM_KEYDOWN && JumpToTabControl(msg.wParam);
}

LRESULT TsBaseSpinEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  // The program's own writes come from this thread; another program's from its own.
  const bool other_thread = (msg == WM_SETTEXT || msg == EM_REPLACESEL) && ::InSendMessage();
  const TTextRoute outer = router_.Begin(RouteOf(FieldMessageOf(msg), writing_, other_thread));
  const TScopeExit restore([this, outer] { router_.End(outer); });
  const LRESULT result = FieldProc(msg, wp, lp);
  if (Handle() && router_.ArrivalDue()) TextArrived();
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
      const TClipboardCommand command = ClipboardCharCommand(static_cast<char32_t>(wp));
      if (command != TClipboardCommand::None) return ::SendMessageW(Handle(), ClipboardMessage(command), 0, 0);
      const std::u16string text = FieldText();
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
  WriteText(U16(layout.Text));
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

std::int32_t TsSpinEdit::Value() const { return Rules().ReadValue(FieldText()); }

void TsSpinEdit::SetValue(std::int32_t value) {
  if (Loading()) return;
  WriteText(Rules().ValueText(value));
}

void TsSpinEdit::Step(std::int32_t notches, const TNotifyEvent& replacement) {
  if (ReadOnly()) {
    Beep();
  } else if (replacement) {
    replacement(this);
  } else {
    WriteText(Rules().StepText(FieldText(), notches));
  }
}

void TsSpinEdit::StepUp() { Step(1, OnUpClick); }
void TsSpinEdit::StepDown() { Step(-1, OnDownClick); }

void TsSpinEdit::DoEnter() {
  number_.ResetWheel();
  TsBaseSpinEdit::DoEnter();
}

void TsSpinEdit::DoExit() {
  number_.ResetWheel();
  TsBaseSpinEdit::DoExit();
  TSpinNumber::Normalize(access_);
}

void TsSpinEdit::TextTaken() { number_.Taken(access_); }
void TsSpinEdit::TextArrived() { number_.Arrived(access_); }

bool TsSpinEdit::MouseWheel(WORD, int delta, POINT) {
  number_.Wheel(access_, delta);
  return true;  // handled also when read-only: the multi-line edit must not scroll
}
