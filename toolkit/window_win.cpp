// Every window the toolkit creates is dispatched through one procedure that reports its
// failures; windowless controls are painted and pressed by the container they stand in.
#include "toolkit/window_win.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <exception>
#include <new>

#include "toolkit/dc_win.h"
#include "toolkit/exception.h"
#include "toolkit/failure.h"
#include "toolkit/secure_wipe.h"
#include "toolkit/system_library_win.h"

std::function<bool(HWND hwnd, const std::wstring& name)> AnnotateAccessibleNameOverride;
std::function<void(TObject& target, UINT msg)> FaultInjectionHook;

namespace {

const wchar_t kControlProperty[] = L"Tarvelin.Control";

void Unregister(std::vector<TWinControl*>& list, TWinControl* c) { std::erase(list, c); }

// The system's annotation service for one call; null when COM is not ready on this thread.
class TAccPropServices {
public:
  TAccPropServices() {
    if (FAILED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                  reinterpret_cast<void**>(&services_)))) {
      services_ = nullptr;
    }
  }
  TAccPropServices(const TAccPropServices&) = delete;
  TAccPropServices& operator=(const TAccPropServices&) = delete;
  ~TAccPropServices() {
    if (services_) services_->Release();
  }
  IAccPropServices* operator->() const noexcept { return services_; }
  explicit operator bool() const noexcept { return services_ != nullptr; }

private:
  IAccPropServices* services_ = nullptr;
};

bool AnnotateAccessibleName(HWND hwnd, const std::wstring& name) {
  if (AnnotateAccessibleNameOverride) return AnnotateAccessibleNameOverride(hwnd, name);
  const TAccPropServices services;
  return services && SUCCEEDED(services->SetHwndPropStr(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                                        PROPID_ACC_NAME, name.c_str()));
}

// The annotation lives in the system until it is cleared, so it is cleared with its window.
void ClearAccessibleName(HWND hwnd) {
  const TAccPropServices services;
  if (services) services->ClearHwndProps(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &PROPID_ACC_NAME, 1);
}

}  // namespace

TUniqueFont CreateFontFor(const TFontSpec& font, UINT dpi) {
  TUniqueFont handle(::CreateFontW(-ScaleTo(font.height, dpi), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE,
                                  font.underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font.face));
  if (!handle) throw std::bad_alloc();
  return handle;
}

// ---------------------------------------------------------------------------------------------
// TWinControl

TWinControl::~TWinControl() {
  if (parent_) Unregister(parent_->children_, this);
  if (handle_) {
    ::DestroyWindow(handle_);
  }
}

TWinControl* TWinControl::FromHandle(HWND hwnd) noexcept {
  return hwnd ? static_cast<TWinControl*>(::GetPropW(hwnd, kControlProperty)) : nullptr;
}

void TWinControl::SetBounds96(const TRect96& bounds) {
  bounds_ = bounds;
  if (handle_) ApplyDpi(dpi_);
}

RECT TWinControl::ScaledBounds() const { return ScaleRect(bounds_, dpi_); }

void TWinControl::SetFont(const TFontSpec& font) {
  font_spec_ = font;
  if (handle_) {
    ApplyFont();
    ::InvalidateRect(handle_, nullptr, TRUE);
  }
}

void TWinControl::ApplyFont() {
  TUniqueFont font = CreateFontFor(font_spec_, dpi_);
  ::SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
  font_ = std::move(font);
}

bool TWinControl::Enabled() const noexcept { return handle_ && ::IsWindowEnabled(handle_); }
void TWinControl::SetEnabled(bool enabled) { ::EnableWindow(handle_, enabled ? TRUE : FALSE); }
bool TWinControl::Visible() const noexcept { return handle_ && (::GetWindowLongW(handle_, GWL_STYLE) & WS_VISIBLE); }
void TWinControl::SetVisible(bool visible) { ::ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE); }
void TWinControl::Show() { SetVisible(true); }
bool TWinControl::TabStop() const noexcept { return handle_ && (::GetWindowLongW(handle_, GWL_STYLE) & WS_TABSTOP); }
bool TWinControl::CanFocus() const noexcept {
  return handle_ && ::IsWindowVisible(handle_) && ::IsWindowEnabled(handle_);
}
bool TWinControl::Focused() const noexcept { return handle_ && ::GetFocus() == handle_; }
void TWinControl::SetFocus() { ::SetFocus(handle_); }

std::wstring TWinControl::Text() const {
  const int length = ::GetWindowTextLengthW(handle_);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = ::GetWindowTextW(handle_, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return text;
}

void TWinControl::SetText(std::wstring_view text) {
  // The old and the new text may be passwords: the copies made here are wiped before they go.
  std::wstring current = Text();
  const bool same = current == text;
  SecureWipe(current);
  if (same) return;
  std::wstring terminated(text);
  const BOOL set = ::SetWindowTextW(handle_, terminated.c_str());
  SecureWipe(terminated);
  // On a live window the only way the text cannot be taken is lack of memory.
  if (!set) throw std::bad_alloc();
}

void TWinControl::ApplyDpi(UINT dpi) {
  const bool font_changed = dpi != dpi_ || !font_;
  dpi_ = dpi;
  if (font_changed) ApplyFont();
  PlaceWindow();
}

void TWinControl::PlaceWindow() {
  const RECT r = ScaledBounds();
  ::SetWindowPos(handle_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TWinControl::PreTranslateKey(const MSG&) { return false; }
bool TWinControl::DialogKey(const MSG&) { return false; }
bool TWinControl::Reflect(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
void TWinControl::DoEnter() { Fire(OnEnter, this); }
void TWinControl::DoExit() { Fire(OnExit, this); }

bool TWinControl::DoMouseWheel(WORD keys, int delta, POINT pos) {
  for (TWinControl* c = this; c; c = c->parent_) {
    bool handled = false;
    if (c->OnMouseWheel) c->OnMouseWheel(c, keys, delta, pos, handled);
    if (handled) return true;
  }
  return false;
}

bool TWinControl::MouseWheel(WORD, int, POINT) { return false; }

LRESULT TWinControl::MouseWheelMessage(WPARAM wp, LPARAM lp) {
  switch (WheelActionFor(RouteMouseWheel(wp, lp), Focused())) {
    case TWheelAction::Drop:
      return 0;
    case TWheelAction::Default:
      return DefProc(WM_MOUSEWHEEL, wp, lp);
    case TWheelAction::Offer:
      break;
  }
  const WORD keys = GET_KEYSTATE_WPARAM(wp);
  const int delta = GET_WHEEL_DELTA_WPARAM(wp);
  const POINT pos = PointOf(lp);
  if (DoMouseWheel(keys, delta, pos) || MouseWheel(keys, delta, pos)) return 0;
  return WndProc(WM_MOUSEWHEEL, wp, lp);
}

void TWinControl::FocusReceived(TWinControl* control) {
  if (parent_) parent_->FocusReceived(control);
}

TWheelRoute TWinControl::RouteMouseWheel(WPARAM wp, LPARAM lp) {
  return parent_ ? parent_->RouteMouseWheel(wp, lp) : TWheelRoute::Own;
}

bool TWinControl::SetAccessibleName(const std::wstring& name) {
  accessible_name_ = name;
  annotated_ = AnnotateAccessibleName(handle_, name);
  return annotated_;
}

void TrackPointerLeave(HWND hwnd) {
  TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
  ::TrackMouseEvent(&tme);
}

void RegisterWindowClass(const wchar_t* name, WNDPROC proc, UINT style, HCURSOR cursor, HICON icon) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (::GetClassInfoExW(instance, name, &wc)) return;
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = cursor ? cursor : ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = icon;
  wc.lpszClassName = name;
  if (!::RegisterClassExW(&wc)) throw EOutOfResources(u"Cannot register a window class");
}

void TWinControl::RegisterToolkitClass(const wchar_t* class_name, UINT style, HCURSOR cursor) {
  RegisterWindowClass(class_name, &TWinControl::OwnProc, style, cursor,
                      ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
}

void TWinControl::CreateOwnWindow(const wchar_t* class_name, DWORD style, DWORD ex_style, TContainer* parent,
                                  const TRect96& bounds, HWND owner) {
  parent_ = parent;
  bounds_ = bounds;
  dpi_ = parent ? parent->Dpi() : dpi_;
  const RECT r = ScaledBounds();
  const HWND hwnd =
      ::CreateWindowExW(ex_style, class_name, L"", style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                        parent ? parent->Handle() : owner, nullptr, ::GetModuleHandleW(nullptr), this);
  if (!hwnd) throw EOutOfResources(u"Cannot create a window");
  if (parent) parent->children_.push_back(this);
  ApplyFont();
}

void TWinControl::CreateSystemWindow(const wchar_t* class_name, DWORD style, DWORD ex_style, TContainer* parent,
                                     const TRect96& bounds) {
  parent_ = parent;
  bounds_ = bounds;
  dpi_ = parent->Dpi();
  const RECT r = ScaledBounds();
  const HWND hwnd =
      ::CreateWindowExW(ex_style, class_name, L"", style | WS_CHILD, r.left, r.top, r.right - r.left, r.bottom - r.top,
                        parent->Handle(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) throw EOutOfResources(u"Cannot create a window");
  Attach(hwnd);
  CommonControls().SetWindowSubclass(hwnd, &TWinControl::SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
  subclassed_ = true;
  parent->children_.push_back(this);
  ApplyFont();
}

void TWinControl::Attach(HWND hwnd) {
  handle_ = hwnd;
  ::SetPropW(hwnd, kControlProperty, this);
}

LRESULT TWinControl::DefProc(UINT msg, WPARAM wp, LPARAM lp) {
  return subclassed_ ? CommonControls().DefSubclassProc(handle_, msg, wp, lp) : ::DefWindowProcW(handle_, msg, wp, lp);
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) { return DefProc(msg, wp, lp); }

LRESULT TWinControl::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  const HWND hwnd = handle_;
  LRESULT result = 0;
  try {
    if (FaultInjectionHook) FaultInjectionHook(*this, msg);
    result = msg == WM_MOUSEWHEEL ? MouseWheelMessage(wp, lp) : WndProc(msg, wp, lp);
    if (msg == WM_SETFOCUS && handle_) FocusReceived(this);
  } catch (...) {
    // A failure must never unwind through the window system: report it and carry on. Every
    // window reaches the report, also one without a form above it.
    ReportFailure(std::current_exception());
  }
  if (msg == WM_NCDESTROY) {
    if (annotated_) ClearAccessibleName(hwnd);
    annotated_ = false;
    if (subclassed_) CommonControls().RemoveWindowSubclass(hwnd, &TWinControl::SubclassProc, 1);
    ::RemovePropW(hwnd, kControlProperty);
    handle_ = nullptr;
  }
  return result;
}

LRESULT CALLBACK TWinControl::OwnProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->Attach(hwnd);
  }
  if (TWinControl* self = FromHandle(hwnd)) return self->Dispatch(msg, wp, lp);
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK TWinControl::SubclassProc(HWND, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  return reinterpret_cast<TWinControl*>(ref)->Dispatch(msg, wp, lp);
}

// ---------------------------------------------------------------------------------------------
// TGraphicControl

TGraphicControl::~TGraphicControl() {
  if (parent_) {
    std::erase(parent_->graphics_, this);
    parent_->pointer_.Forget(this);
  }
}

void TGraphicControl::Place(TContainer* parent, const TRect96& bounds) {
  parent_ = parent;
  bounds_ = bounds;
  parent->graphics_.push_back(this);
  Invalidate();
}

void TGraphicControl::SetBounds96(const TRect96& bounds) {
  Invalidate();
  bounds_ = bounds;
  Invalidate();
}

RECT TGraphicControl::ScaledBounds() const { return ScaleRect(bounds_, parent_ ? parent_->Dpi() : 96); }

void TGraphicControl::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  Invalidate();
}

void TGraphicControl::Invalidate() {
  if (parent_ && parent_->Handle()) {
    const RECT r = ScaledBounds();
    ::InvalidateRect(parent_->Handle(), &r, FALSE);
  }
}

void TGraphicControl::MouseEnter() { Fire(OnMouseEnter, this); }
void TGraphicControl::MouseLeave() { Fire(OnMouseLeave, this); }
void TGraphicControl::MouseUp(bool over) {
  if (over) Click();
}
void TGraphicControl::Click() { Fire(OnClick, this); }

// ---------------------------------------------------------------------------------------------
// TContainer

void TContainer::RegisterContainerClass() { RegisterToolkitClass(kClassName, 0, nullptr); }

void TContainer::ApplyDpi(UINT dpi) {
  TWinControl::ApplyDpi(dpi);
  for (TWinControl* child : children_) child->ApplyDpi(dpi);
  for (TGraphicControl* g : graphics_) g->ApplyDpi(dpi);
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TContainer::PaintBackground(HDC dc, const RECT& client) { FillSolid(dc, client, Skin(section_).face); }

void TContainer::Paint() {
  // Ends the paint on every way out, so a failure leaves no device context behind and the window
  // is not asked to paint again at once.
  const TPaintDC paint(Handle());
  RECT client;
  ::GetClientRect(Handle(), &client);
  // Painted off screen first, so transparent labels over a background never flicker.
  const TUniqueBitmap bitmap(
      ::CreateCompatibleBitmap(paint.Get(), std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1)));
  if (!bitmap) throw EOutOfResources(u"Cannot create a bitmap");
  const TMemoryDC mem(paint.Get(), bitmap.Get());
  PaintBackground(mem.Get(), client);
  const RECT& invalid = paint.Invalid();
  for (TGraphicControl* g : graphics_) {
    RECT r = g->ScaledBounds(), overlap;
    if (!g->Visible() || !::IntersectRect(&overlap, &r, &invalid)) continue;
    if (FaultInjectionHook) FaultInjectionHook(*g, WM_PAINT);
    g->Paint(mem.Get(), r);
  }
  ::BitBlt(paint.Get(), invalid.left, invalid.top, invalid.right - invalid.left, invalid.bottom - invalid.top, mem.Get(),
           invalid.left, invalid.top, SRCCOPY);
}

TGraphicControl* TContainer::GraphicAt(POINT pt) const {
  for (auto it = graphics_.rbegin(); it != graphics_.rend(); ++it) {
    if ((*it)->Visible() && Contains(BoxOf((*it)->ScaledBounds()), TPlace{pt.x, pt.y})) return *it;
  }
  return nullptr;
}

void TContainer::CancelPress() {
  if (TGraphicControl* p = pointer_.EndPress()) {
    if (::GetCapture() == Handle()) ::ReleaseCapture();
    p->MouseUp(false);
  }
}

void TContainer::Tell(const TPointerTracker<TGraphicControl>::TChange& change) {
  if (change.entered) TrackPointerLeave(Handle());
  if (change.left) change.left->MouseLeave();
  if (change.entered) change.entered->MouseEnter();
}

LRESULT TContainer::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  switch (msg) {
    case WM_COMMAND:
      if (TWinControl* c = FromHandle(reinterpret_cast<HWND>(lp)); c && c->Reflect(msg, wp, lp, result)) return result;
      break;
    case WM_NOTIFY:
      if (TWinControl* c = FromHandle(reinterpret_cast<NMHDR*>(lp)->hwndFrom); c && c->Reflect(msg, wp, lp, result)) {
        return result;
      }
      break;
    case WM_DRAWITEM:
      if (TWinControl* c = FromHandle(reinterpret_cast<DRAWITEMSTRUCT*>(lp)->hwndItem); c && c->Reflect(msg, wp, lp, result)) {
        return result;
      }
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (TWinControl* c = FromHandle(reinterpret_cast<HWND>(lp)); c && c->Reflect(msg, wp, lp, result)) return result;
      ::SetBkColor(reinterpret_cast<HDC>(wp), Skin(section_).face);
      ::SetDCBrushColor(reinterpret_cast<HDC>(wp), Skin(section_).face);
      return reinterpret_cast<LRESULT>(::GetStockObject(DC_BRUSH));
    case WM_ERASEBKGND:
      return 1;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(FontHandle());
    case WM_PAINT:
      Paint();
      return 0;
    case WM_MOUSEMOVE:
      Tell(pointer_.MoveTo(GraphicAt(PointOf(lp))));
      break;
    case WM_MOUSELEAVE:
      Tell(pointer_.Leave());
      return 0;
    case WM_LBUTTONDOWN:
      if (TGraphicControl* at = GraphicAt(PointOf(lp)); pointer_.Press(at)) {
        ::SetCapture(Handle());
        at->MouseDown();
      }
      break;
    case WM_LBUTTONUP:
      // Taken off first: giving the capture back sends WM_CAPTURECHANGED at once.
      if (TGraphicControl* p = pointer_.EndPress()) {
        if (::GetCapture() == Handle()) ::ReleaseCapture();
        p->MouseUp(p == GraphicAt(PointOf(lp)));
      }
      break;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      CancelPress();
      break;
    case WM_ENABLE:
    case WM_SHOWWINDOW:
      if (!wp) CancelPress();
      break;
    case WM_SIZE:
      Resized();
      break;
    default:
      break;
  }
  return DefProc(msg, wp, lp);
}
