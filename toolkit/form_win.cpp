// A form sizes its frame for its DPI and places itself when first shown, routes the focus and the
// wheel of its controls, and runs its modal display on the application's loop.
#include "toolkit/form_win.h"

#include <commctrl.h>

#include "toolkit/application_win.h"
#include "toolkit/exception.h"
#include "toolkit/form_rules.h"
#include "toolkit/scope_exit.h"

namespace {

const wchar_t kFormClass[] = L"TarvelinForm";
// The tooltips' widest line, at 96 dpi.
constexpr int kToolTipWidth = 420;
// A tooltip sizes itself by measuring its text, but a font may draw a line wider than it measures
// it: under Wine, Tahoma is drawn by a substitute whose Cyrillic runs about 1 % longer than it
// measures, and the tooltip's text rectangle cut off the last letters of a line. The text is
// drawn unclipped, with room for that at the right: 2 % of the widest line, at 96 dpi.
constexpr int kToolTipSlack = kToolTipWidth / 50;
// How long a modal window that has hidden lets the window system settle.
constexpr DWORD kModalSettleMs = 100;

DWORD FormStyle() { return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; }

RECT MonitorRect(HMONITOR monitor, bool work_area) {
  MONITORINFO mi{sizeof mi, {}, {}, 0};
  ::GetMonitorInfoW(monitor, &mi);
  return work_area ? mi.rcWork : mi.rcMonitor;
}

bool Usable(HWND hwnd) { return hwnd && ::IsWindow(hwnd) && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd); }

}  // namespace

TForm::TForm(TBorderStyle border, TPosition position, int client_width, int client_height, const TFontSpec& font)
    : TContainer(TSkinSection::Form), border_(border), position_(position) {
  RegisterToolkitClass(kFormClass, 0, nullptr);
  DWORD ex_style = WS_EX_CONTROLPARENT | (border == TBorderStyle::Dialog ? WS_EX_DLGMODALFRAME : WS_EX_TOOLWINDOW);
  HWND owner = nullptr;
  if (TWinControl* main = Application->MainForm()) {
    owner = main->Handle();
  } else if (Application->MainFormOnTaskBar) {
    ex_style |= WS_EX_APPWINDOW;
  } else {
    owner = Application->Handle();
  }
  CreateOwnWindow(kFormClass, FormStyle(), ex_style, nullptr, TRect96{0, 0, client_width, client_height}, owner);
  Application->RegisterForm(this);
  const UINT dpi = ::GetDpiForWindow(Handle());
  ApplyDpi(dpi ? dpi : 96);
  SetFont(font);
}

TForm::~TForm() {
  if (Application) Application->UnregisterForm(this);
}

RECT TForm::WindowRectFor(UINT dpi) const {
  RECT r{0, 0, ScaleTo(Bounds96().width, dpi), ScaleTo(Bounds96().height, dpi)};
  ::AdjustWindowRectExForDpi(&r, static_cast<DWORD>(::GetWindowLongW(Handle(), GWL_STYLE)), FALSE,
                             static_cast<DWORD>(::GetWindowLongW(Handle(), GWL_EXSTYLE)), dpi);
  return r;
}

void TForm::PlaceWindow() {
  const RECT r = WindowRectFor(Dpi());
  ::SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::PlaceFirstTime() {
  placed_ = true;
  RECT w;
  ::GetWindowRect(Handle(), &w);
  const LONG width = w.right - w.left, height = w.bottom - w.top;
  TScreens screens;
  screens.primary = BoxOf(MonitorRect(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), false));
  screens.desktop.left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
  screens.desktop.top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
  screens.desktop.right = screens.desktop.left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
  screens.desktop.bottom = screens.desktop.top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (TWinControl* main = Application->MainForm(); main && main != this && ::IsWindowVisible(main->Handle())) {
    RECT r;
    ::GetWindowRect(main->Handle(), &r);
    screens.main_window = BoxOf(r);
    screens.main_work_area = BoxOf(MonitorRect(::MonitorFromWindow(main->Handle(), MONITOR_DEFAULTTONEAREST), true));
  }
  const TPlacement placement = PlacementFor(position_, screens);
  const TPlace at = CenteredPlace(placement.area, placement.bounds, width, height);
  ::SetWindowPos(Handle(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::Show() {
  if (!placed_) PlaceFirstTime();
  ::ShowWindow(Handle(), SW_SHOW);
}

int TForm::ShowModal() {
  const HWND previous = ::GetActiveWindow();
  std::vector<HWND> disabled = TApplication::DisableTaskWindows(Handle());
  modal_ = true;
  modal_result_ = mrNone;
  TScopeExit restore([&] {
    // The other windows are enabled before this one hides, so the activation returns to them.
    TApplication::EnableWindows(disabled);
    ::ShowWindow(Handle(), SW_HIDE);
    if (previous && ::IsWindow(previous)) ::SetActiveWindow(previous);
    // A modal window is destroyed soon after it hides; the focus handed to it as the windows
    // above it went must find it still there, to pass on to the window now active.
    LetWindowSystemSettle(kModalSettleMs);
    modal_ = false;
  });
  Show();
  ::SetActiveWindow(Handle());
  while (modal_result_ == mrNone) {
    Application->HandleMessage();
    if (Application->Terminated() && modal_result_ == mrNone) modal_result_ = mrCancel;
  }
  return modal_result_;
}

void TForm::SetCursorShape(LPCWSTR cursor) noexcept {
  if (cursor == cursor_) return;
  cursor_ = cursor;
  POINT p;
  if (Handle() && ::GetCursorPos(&p) && ::WindowFromPoint(p) == Handle() &&
      ::SendMessageW(Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)) == HTCLIENT) {
    ::SendMessageW(Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  }
}

void TForm::Close() {
  if (modal_) {
    modal_result_ = mrCancel;
  } else if (Application->MainForm() == this) {
    Application->Terminate();
  } else {
    ::ShowWindow(Handle(), SW_HIDE);
  }
}

void TForm::AddToolTip(TWinControl& control, const std::wstring& text) {
  if (!tooltip_) {
    tooltip_.Reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                                     ::GetModuleHandleW(nullptr), nullptr));
    if (!tooltip_) throw EOutOfResources(u"Cannot create a window");
    ScaleToolTips();
  }
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = Handle();
  info.uId = reinterpret_cast<UINT_PTR>(control.Handle());
  info.lpszText = const_cast<wchar_t*>(text.c_str());
  ::SendMessageW(tooltip_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void TForm::FocusReceived(TWinControl* control) {
  if (control == this || control->Handle() == active_control_) return;
  TWinControl* previous = ActiveControl();
  active_control_ = control->Handle();
  if (previous) previous->DoExit();
  control->DoEnter();
}

TWheelRoute TForm::RouteMouseWheel(WPARAM wp, LPARAM lp) {
  if (handing_wheel_) return TWheelRoute::ToFocus;
  const HWND focus = ::GetFocus();
  if (!focus || (focus != Handle() && !::IsChild(Handle(), focus))) return TWheelRoute::Handed;
  handing_wheel_ = true;
  const TScopeExit done([this] { handing_wheel_ = false; });
  ::SendMessageW(focus, WM_MOUSEWHEEL, wp, lp);
  return TWheelRoute::Handed;
}

void TForm::ApplyDpi(UINT dpi) {
  TContainer::ApplyDpi(dpi);
  if (tooltip_) ScaleToolTips();
}

void TForm::ScaleToolTips() {
  ::SendMessageW(tooltip_.Get(), TTM_SETMAXTIPWIDTH, 0, Scale(kToolTipWidth));
  RECT margin{0, 0, Scale(kToolTipSlack), 0};
  ::SendMessageW(tooltip_.Get(), TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(&margin));
}

void TForm::RepaintAll() {
  ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TForm::CancelChildCapture() {
  if (const HWND capture = ::GetCapture(); capture && ::IsChild(Handle(), capture)) {
    ::SendMessageW(capture, WM_CANCELMODE, 0, 0);
  }
}

void TForm::FocusFirst() {
  if (HWND first = ::GetNextDlgTabItem(Handle(), nullptr, FALSE)) ::SetFocus(first);
}

bool TForm::DialogKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  TDialogKey key;
  switch (msg.wParam) {
    case VK_TAB: key = TDialogKey::Tab; break;
    case VK_RETURN: key = TDialogKey::Return; break;
    case VK_ESCAPE: key = TDialogKey::Escape; break;
    case VK_LEFT: key = TDialogKey::Left; break;
    case VK_RIGHT: key = TDialogKey::Right; break;
    case VK_UP: key = TDialogKey::Up; break;
    case VK_DOWN: key = TDialogKey::Down; break;
    default: return false;
  }
  TDialogKeyState state;
  state.ctrl_or_alt = ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0;
  state.shift = ::GetKeyState(VK_SHIFT) < 0;
  const HWND focus = ::GetFocus();
  state.focus_inside = focus && ::IsChild(Handle(), focus);
  if (state.focus_inside && !state.ctrl_or_alt) {
    const auto code = static_cast<UINT>(::SendMessageW(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)));
    state.wants_all_keys = code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
    state.wants_tab = code & DLGC_WANTTAB;
    state.wants_arrows = code & DLGC_WANTARROWS;
    state.is_button = code & DLGC_BUTTON;
  }
  const TDialogAction action = DialogKeyAction(key, state);
  HWND next = nullptr;
  switch (action) {
    case TDialogAction::PassOn:
      return false;
    case TDialogAction::FocusFirst:
      FocusFirst();
      break;
    case TDialogAction::TabNext:
    case TDialogAction::TabPrevious:
      next = ::GetNextDlgTabItem(Handle(), focus, action == TDialogAction::TabPrevious ? TRUE : FALSE);
      break;
    case TDialogAction::ArrowNext:
    case TDialogAction::ArrowPrevious:
      next = ::GetNextDlgTabItem(::GetParent(focus), focus, action == TDialogAction::ArrowPrevious ? TRUE : FALSE);
      break;
    case TDialogAction::Click:
      ::SendMessageW(focus, BM_CLICK, 0, 0);
      break;
    case TDialogAction::Swallow:
      break;
  }
  if (next) ::SetFocus(next);
  if (ShowsFocusCues(action)) ::SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  return true;
}

LRESULT TForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE && !HIWORD(wp)) {
        if (Usable(active_control_)) {
          ::SetFocus(active_control_);
        } else {
          FocusFirst();
        }
        return 0;
      }
      break;
    case WM_SETFOCUS:
      if (Usable(active_control_)) {
        ::SetFocus(active_control_);
      } else {
        FocusFirst();
      }
      return 0;
    case WM_CANCELMODE:
      CancelChildCapture();
      break;
    case WM_ENABLE:
      if (!wp) CancelChildCapture();
      break;
    case WM_NOTIFY: {
      auto* draw = reinterpret_cast<NMTTCUSTOMDRAW*>(lp);
      if (tooltip_ && draw->nmcd.hdr.hwndFrom == tooltip_.Get() && draw->nmcd.hdr.code == NM_CUSTOMDRAW) {
        if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) draw->uDrawFlags |= DT_NOCLIP;
        return CDRF_DODEFAULT;
      }
      break;
    }
    case WM_SETCURSOR:
      if (cursor_ && reinterpret_cast<HWND>(wp) == Handle() && LOWORD(lp) == HTCLIENT) {
        ::SetCursor(::LoadCursorW(nullptr, cursor_));
        return TRUE;
      }
      break;
    case WM_SYSCOLORCHANGE:
      // The system's colours are read at every paint: in high contrast they are the window's.
      RefreshHighContrast();
      drawn_high_contrast_ = HighContrast();
      RepaintAll();
      break;
    case WM_SETTINGCHANGE:
      // Every form compares with what it drew itself: the first one to hear of the change
      // refreshes the answer for all.
      RefreshHighContrast();
      if (HighContrast() != drawn_high_contrast_) {
        drawn_high_contrast_ = HighContrast();
        RepaintAll();
      }
      break;
    case WM_DPICHANGED: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lp);
      ApplyDpi(HIWORD(wp));
      ::SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    default:
      break;
  }
  return TContainer::WndProc(msg, wp, lp);
}
