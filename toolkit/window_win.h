// Windowed and windowless controls: the base classes every window of the program stands on.
#pragma once

#include <windows.h>

#include <windowsx.h>

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/handle_win.h"
#include "toolkit/layout.h"
#include "toolkit/object.h"
#include "toolkit/pointer_tracker.h"
#include "toolkit/skin_win.h"
#include "toolkit/wheel_route.h"

class TContainer;

// A turn of the mouse wheel offered to a control: the key flags of the message, the distance in
// 120ths of a notch (positive away from the user) and the pointer in screen coordinates. Setting
// handled keeps the turn from the control's own handling.
using TMouseWheelEvent = std::function<void(TObject* Sender, WORD keys, int delta, POINT pos, bool& handled)>;

// A rectangle of the layouts for the system's calls, and back.
constexpr RECT ToRect(const TBox& box) noexcept { return RECT{box.left, box.top, box.right, box.bottom}; }
constexpr TBox BoxOf(const RECT& r) noexcept { return TBox{r.left, r.top, r.right, r.bottom}; }
// Scales a rectangle edge by edge, so neighbouring controls stay flush at every dpi.
inline RECT ScaleRect(const TRect96& r, UINT dpi) { return ToRect(ScaleBox(r, dpi)); }
// The pointer position a mouse message carries in its lParam (signed: it may lie left of or
// above the window on a second monitor).
inline POINT PointOf(LPARAM lp) noexcept { return POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}; }

TUniqueFont CreateFontFor(const TFontSpec& font, UINT dpi);

// Asks for WM_MOUSELEAVE when the pointer leaves hwnd, so hot looks can be switched off.
void TrackPointerLeave(HWND hwnd);

// Registers a window class of the program once; later calls find it registered. Throws
// EOutOfResources when the system refuses.
void RegisterWindowClass(const wchar_t* name, WNDPROC proc, UINT style = 0, HCURSOR cursor = nullptr,
                         HICON icon = nullptr);

// Annotates hwnd with its accessible name (IAccPropServices::SetHwndPropStr, PROPID_ACC_NAME),
// which screen readers announce; returns whether the system took it. Tests replace it: Wine's
// accessibility takes no annotations.
extern std::function<bool(HWND hwnd, const std::wstring& name)> AnnotateAccessibleNameOverride;

// Called as a handler of the toolkit is about to run, with the object whose handler it is and the
// message: a window's message, WM_PAINT for a windowless control, WM_TIMER for a timer's tick,
// WM_NULL for a worker's completion. What it throws is that handler's failure. Unset in the
// program; the test build sets it to make any kind of handler fail on request.
extern std::function<void(TObject& target, UINT msg)> FaultInjectionHook;

// A control with a window of its own: either of a class of the toolkit or a subclassed system
// control. It stores itself in a property of its window, so messages find their object.
class TWinControl : public TObject {
public:
  ~TWinControl() override;

  HWND Handle() const noexcept { return handle_; }
  TContainer* Parent() const noexcept { return parent_; }
  static TWinControl* FromHandle(HWND hwnd) noexcept;

  const TRect96& Bounds96() const noexcept { return bounds_; }
  void SetBounds96(const TRect96& bounds);
  UINT Dpi() const noexcept { return dpi_; }
  int Scale(int value) const noexcept { return ScaleTo(value, dpi_); }

  const TFontSpec& Font() const noexcept { return font_spec_; }
  void SetFont(const TFontSpec& font);
  HFONT FontHandle() const noexcept { return font_.Get(); }

  bool Enabled() const noexcept;
  virtual void SetEnabled(bool enabled);
  bool Visible() const noexcept;
  void SetVisible(bool visible);
  // Shows the window; a form places itself by its position rule the first time.
  virtual void Show();
  bool TabStop() const noexcept;
  bool CanFocus() const noexcept;
  bool Focused() const noexcept;
  void SetFocus();

  std::wstring Text() const;
  // Replaces the window text only when it differs, so an equal text raises no change.
  void SetText(std::wstring_view text);

  // Moves, resizes and refreshes the fonts for dpi; containers pass it on to their children.
  virtual void ApplyDpi(UINT dpi);

  // A key message on its way to this control, before the window's dialog keys see it.
  // Returns true when the control has consumed it.
  virtual bool PreTranslateKey(const MSG& msg);
  // A key message that no control consumed, offered to the top-level window it is for: its
  // keyboard navigation. Returns true when the window has taken it; by default none is taken.
  virtual bool DialogKey(const MSG& msg);
  // A notification reflected by the parent (WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR*, WM_DRAWITEM).
  virtual bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

  // The focus has moved to this control from another control of its form, or away from it.
  virtual void DoEnter();
  virtual void DoExit();
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  // Offers a wheel turn to OnMouseWheel of this control, then of each parent, nearest first;
  // returns whether one of them handled it.
  bool DoMouseWheel(WORD keys, int delta, POINT pos);
  TMouseWheelEvent OnMouseWheel;

  // The name screen readers announce for a control that shows no text of its own (a field
  // without a label window before it), given as an accessibility annotation; returns whether
  // the system took it.
  bool SetAccessibleName(const std::wstring& name);
  const std::wstring& AccessibleName() const noexcept { return accessible_name_; }

protected:
  TWinControl() = default;
  // Creates a window of a class of the toolkit (registered by RegisterToolkitClass).
  void CreateOwnWindow(const wchar_t* class_name, DWORD style, DWORD ex_style, TContainer* parent,
                       const TRect96& bounds, HWND owner = nullptr);
  // Creates a system control and subclasses it.
  void CreateSystemWindow(const wchar_t* class_name, DWORD style, DWORD ex_style, TContainer* parent,
                          const TRect96& bounds);
  virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT DefProc(UINT msg, WPARAM wp, LPARAM lp);
  // Where this control stands in its parent's client area at the current dpi.
  RECT ScaledBounds() const;
  // Moves and sizes the window for the current dpi; top-level windows keep their place.
  virtual void PlaceWindow();
  virtual void Resized() {}
  // The control's own answer to a wheel turn that reached it with the focus and that no
  // OnMouseWheel handled; returns whether it used the turn. By default the window's own
  // handling gets it.
  virtual bool MouseWheel(WORD keys, int delta, POINT pos);

  // Hooks of the window at the top of a tree of controls, which a form fills in. By default each
  // passes the call on to the parent.
  // The keyboard focus has moved to control, this window or one below it.
  virtual void FocusReceived(TWinControl* control);
  // A wheel turn reached this window or one below it.
  virtual TWheelRoute RouteMouseWheel(WPARAM wp, LPARAM lp);

  static void RegisterToolkitClass(const wchar_t* class_name, UINT style, HCURSOR cursor);

private:
  static LRESULT CALLBACK OwnProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
  LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT MouseWheelMessage(WPARAM wp, LPARAM lp);
  void Attach(HWND hwnd);
  void ApplyFont();

  HWND handle_ = nullptr;
  TContainer* parent_ = nullptr;
  TRect96 bounds_;
  UINT dpi_ = 96;
  TFontSpec font_spec_;
  TUniqueFont font_;
  std::wstring accessible_name_;
  bool annotated_ = false;
  bool subclassed_ = false;
};

// A control without a window of its own (a label, a picture), painted by its container and told
// about the pointer by it.
class TGraphicControl : public TObject {
public:
  ~TGraphicControl() override;

  TContainer* Parent() const noexcept { return parent_; }
  const TRect96& Bounds96() const noexcept { return bounds_; }
  void SetBounds96(const TRect96& bounds);
  // Where the control stands in its container's client area, in pixels.
  virtual RECT ScaledBounds() const;
  bool Visible() const noexcept { return visible_; }
  void SetVisible(bool visible);
  void Invalidate();

  virtual void Paint(HDC dc, const RECT& bounds) = 0;
  virtual void ApplyDpi(UINT) {}
  virtual void MouseEnter();
  virtual void MouseLeave();
  // The left button went down over the control; the container holds the mouse capture until it
  // comes up again.
  virtual void MouseDown() {}
  // The press has ended: over tells whether the button came up over the control; a press that
  // lost the capture, or whose container was disabled or hidden, ends with over false. A release
  // over the control clicks it.
  virtual void MouseUp(bool over);
  virtual void Click();

  TNotifyEvent OnClick;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

protected:
  TGraphicControl() = default;
  void Place(TContainer* parent, const TRect96& bounds);

private:
  TContainer* parent_ = nullptr;
  TRect96 bounds_;
  bool visible_ = true;
};

// A control that holds other controls: it reflects their notifications back to them, paints its
// background and its windowless controls, and tells those about the pointer.
class TContainer : public TWinControl {
public:
  void ApplyDpi(UINT dpi) override;
  TSkinSection Section() const noexcept { return section_; }

protected:
  explicit TContainer(TSkinSection section) : section_(section) {}
  // The windowless control held down with the mouse, if any.
  TGraphicControl* PressedGraphic() const noexcept { return pointer_.Pressed(); }
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  // Paints the background of the client area; the windowless controls are painted after it.
  virtual void PaintBackground(HDC dc, const RECT& client);

  static constexpr const wchar_t* kClassName = L"TarvelinContainer";
  static void RegisterContainerClass();

 private:
  friend class TWinControl;
  friend class TGraphicControl;
  void Paint();
  // Tells the controls the pointer left and entered, and asks to hear when it leaves the window.
  void Tell(const TPointerTracker<TGraphicControl>::TChange& change);
  TGraphicControl* GraphicAt(POINT pt) const;
  // Ends the press of the windowless control held down, if any, without a click.
  void CancelPress();

  TSkinSection section_;
  std::vector<TWinControl*> children_;
  std::vector<TGraphicControl*> graphics_;
  TPointerTracker<TGraphicControl> pointer_;
};
