// The numeric entry field: a skinned edit with a column of two small spin buttons at its right
// edge, whose Value is a signed 32-bit number read from its text on every read.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "controls/controls_win.h"
#include "controls/repeat_press.h"
#include "controls/spin_field.h"
#include "controls/spin_rules.h"
#include "toolkit/timer_win.h"

class TsSpinButton;

// A set of the timer button's states.
enum TTimeBtnStates : unsigned {
  tbFocusRect = 1u << 0,   // draw a focus rectangle inset by 3 px
  tbAllowTimer = 1u << 1,  // repeat the click while the button is held
};
using TTimeBtnState = unsigned;

// A flat speed button without a window of its own, drawn with the skin's "SPEEDBUTTON_SMALL"
// section by the column that holds it and told about the mouse by it. Held down with
// tbAllowTimer, it clicks again 400 ms after the press and then every 100 ms while the column
// holds the capture for it, and once more when released over itself.
class TsTimerSpeedButton : public TGraphicControl {
public:
  enum class TArrow { Up, Down };

  TsTimerSpeedButton(TsSpinButton& owner, TArrow arrow);

  TTimeBtnState TimeBtnState = 0;

  // Where the button stands in the column's client area, in pixels.
  const RECT& BoundsRect() const noexcept { return bounds_; }
  RECT ScaledBounds() const override { return bounds_; }
  bool Down() const noexcept { return press_.Down(); }
  bool Enabled() const noexcept { return enabled_; }
  void SetEnabled(bool enabled);
  // The repeat timer: created by the first press, freed with the button.
  const TTimer* RepeatTimer() const noexcept { return FRepeatTimer.get(); }

  void Paint(HDC dc, const RECT& bounds) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void MouseDown() override;
  // Shows released and stops the timer; clicks when released over the button.
  void MouseUp(bool over) override;

private:
  friend class TsSpinButton;
  void SetBoundsRect(const RECT& bounds);
  void SetHot(bool hot);
  void TimerExpired();
  // Repaints and orders the repeat timer as step says; the caller clicks.
  void Apply(const TPressStep& step);

  TsSpinButton& owner_;
  TArrow arrow_;
  RECT bounds_{};
  TRepeatPress press_;
  bool hot_ = false;
  bool enabled_ = true;
  std::unique_ptr<TTimer> FRepeatTimer;
};

// The spin-button column: a child window of its field holding the up and the down button.
// Pressing either gives the focus to FocusControl first when that is a tab stop able to take it.
class TsSpinButton : public TContainer {
public:
  TsSpinButton();

  // Creates the column, hidden, as a child window of the field.
  void Create(TWinControl& field);
  // Places the column in the field's client area, in pixels.
  void SetPlacement(const RECT& bounds);
  void SetEnabled(bool enabled) override;

  TsTimerSpeedButton UpButton;
  TsTimerSpeedButton DownButton;
  TWinControl* FocusControl = nullptr;
  TNotifyEvent OnUpClick;
  TNotifyEvent OnDownClick;

  // Whether button is held down and the column holds the mouse capture for it.
  bool HoldsCapture(const TsTimerSpeedButton* button) const noexcept;

protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void PlaceWindow() override;

private:
  void LayoutButtons();

  RECT placement_{};
};

// The field without its number: the column, the typed-character filter, the arrow, Tab and
// Enter keys, the cut and paste guards, the layout of the column and select-all on focus.
class TsBaseSpinEdit : public TsEdit {
public:
  TsSpinButton Button;

  // Digits may be typed, text pasted or cut.
  bool EditorEnabled = true;
  // Negative numbers survive the bound rule; a minus sign may pass the filter.
  bool AllowNegative = true;
  // Targets of Tab and Enter (with Shift: PrevTabControl); none: Tab follows the window's tab
  // order and Enter does nothing.
  TWinControl* NextTabControl = nullptr;
  TWinControl* PrevTabControl = nullptr;
  // When set, replace the built-in up and down steps.
  TNotifyEvent OnUpClick;
  TNotifyEvent OnDownClick;

  void SetShowSpinButtons(bool show);
  TAlignment Alignment() const noexcept { return alignment_; }
  // Whether the window's stored layout is still being applied to the field.
  bool Loading() const noexcept { return loading_; }

  void ApplyDpi(UINT dpi) override;
  // The spin-button column's width in pixels.
  int ColumnWidth() const noexcept;

protected:
  // Creates the field's window, multi-line and with a sunken border whatever style says, and its
  // column; the field is loading until Loaded.
  void CreateField(TContainer& parent, const TRect96& bounds, const TFontSpec& font, Style style);
  // Loading has ended: shows the column as ShowSpinButtons says and sets the formatting rectangle.
  virtual void Loaded();

  // A click on the up or the down button, or the Up or Down arrow key.
  virtual void UpClick() = 0;
  virtual void DownClick() = 0;
  // The text has changed by typing, cutting or undoing, or by the program's own write: it is
  // taken as it is.
  virtual void TextTaken() {}
  // The text has changed in any other way, and the edit is done with it: a paste, by any key or
  // the menu, a text another program set, an input method's result. It is checked as a paste.
  virtual void TextArrived() {}
  // Whether a minus sign is within the lower bound.
  virtual bool NegativeInRange() const { return true; }
  // The platform's default beep, for refused characters and steps on a read-only field.
  virtual void Beep();

  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  bool PreTranslateKey(const MSG& msg) override;
  bool SelectOnFocus(bool) const override { return AutoSelect; }
  bool TextEditable() const { return EditorEnabled && !ReadOnly(); }
  // The window text, in the portable code's strings.
  std::u16string FieldText() const;
  // The field's own write of its text, taken as it is whatever message is being handled.
  void WriteText(std::u16string_view text);

private:
  LRESULT FieldProc(UINT msg, WPARAM wp, LPARAM lp);
  void TextChanged();
  // Tab or Enter with a target set: moves the focus there; false when no target is set.
  bool JumpToTabControl(WPARAM key);
  void LayoutColumn();
  void UpdateFormatRect();
  void UpdateColumnState();

  bool show_spin_buttons_ = true;
  bool loading_ = false;
  bool setting_text_ = false;
  bool writing_ = false;
  TTextRouter router_;
  TAlignment alignment_ = TAlignment::Left;
};

// What the window's stored layout holds for a numeric entry field.
struct TSpinEditLayout {
  std::wstring Text;
  std::int32_t Value = 0;  // arrives while loading, so it is never applied
  std::int32_t MinValue = 0;
  std::int32_t MaxValue = 0;
  std::int32_t Increment = 1;
  bool NumbersOnly = false;
  bool ReadOnly = false;
  bool ShowSpinButtons = true;
  TAlignment Alignment = TAlignment::Left;
};

// The numeric entry field. The text is the only state of the number: Value parses it on every
// read and never fails; the bounds apply when the field writes its value and when it is left.
class TsSpinEdit : public TsBaseSpinEdit {
public:
  // Creates the field from its stored layout.
  void Create(TContainer& parent, const TRect96& bounds, const TFontSpec& font, const TSpinEditLayout& layout);

  std::int32_t MinValue = 0;
  std::int32_t MaxValue = 0;  // 0: no upper bound
  std::int32_t Increment = 1;

  // The number the text reads: 0 when empty, MinValue when it fails the integer-text rule.
  std::int32_t Value() const;
  // Writes the bounded value as decimal text; nothing while loading, and no change (nor change
  // notification) when the text is already that.
  void SetValue(std::int32_t value);
  std::int32_t ClampValue(std::int32_t value) const noexcept { return Rules().ClampValue(value); }
  // One step: a beep on a read-only field, else OnUpClick (OnDownClick) when set, else Value
  // plus (minus) Increment, wrapping around in 32 bits before the bounds apply.
  void StepUp();
  void StepDown();

  TSpinRules Rules() const noexcept;

  void DoEnter() override;
  void DoExit() override;

protected:
  void UpClick() override { StepUp(); }
  void DownClick() override { StepDown(); }
  // The value the last text taken read is kept; an arrived text that fails the integer-text rule
  // is replaced by it, in decimal and unbounded (the bounds apply when the field is left, or at
  // once when the text arrives in a field without the focus).
  void TextTaken() override;
  void TextArrived() override;
  bool NegativeInRange() const override { return MinValue <= 0; }
  // A wheel turn that reached the field with the focus and that no OnMouseWheel handled: whole
  // notches step, and the text is written in normal form even for less than one.
  bool MouseWheel(WORD keys, int delta, POINT pos) override;

private:
  void Step(std::int32_t notches, const TNotifyEvent& replacement);

  // The field as its number's decisions see it.
  const TNumberField access_{[this] { return FieldText(); }, [this](std::u16string_view text) { WriteText(text); },
                             [this] { return Rules(); }, [this] { return Focused(); }, [this] { return ReadOnly(); }};
  TSpinNumber number_;
};
