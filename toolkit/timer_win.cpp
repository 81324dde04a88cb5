// Each timer has a message-only window of its own that receives its ticks.
#include "toolkit/timer_win.h"

#include "toolkit/exception.h"
#include "toolkit/failure.h"
#include "toolkit/window_win.h"

namespace {
const wchar_t kTimerClass[] = L"TarvelinTimer";
constexpr UINT_PTR kTimerId = 1;
}  // namespace

TTimer::TTimer() {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  RegisterWindowClass(kTimerClass, &TTimer::WindowProc);
  window_.Reset(::CreateWindowExW(0, kTimerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr));
  if (!window_) throw EOutOfResources(u"Cannot create a window");
  ::SetWindowLongPtrW(window_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TTimer::~TTimer() {
  if (counting_) ::KillTimer(window_.Get(), kTimerId);
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Update();
}

void TTimer::SetInterval(UINT interval) {
  if (interval == interval_) return;
  interval_ = interval;
  Update();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
  on_timer_ = std::move(handler);
  Update();
}

void TTimer::Update() {
  if (counting_) {
    ::KillTimer(window_.Get(), kTimerId);
    counting_ = false;
  }
  if (interval_ != 0 && enabled_ && on_timer_) {
    if (!::SetTimer(window_.Get(), kTimerId, interval_, nullptr)) throw EOutOfResources(u"Not enough timers available");
    counting_ = true;
  }
}

LRESULT CALLBACK TTimer::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER && wp == kTimerId) {
    if (auto* self = reinterpret_cast<TTimer*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
      try {
        if (FaultInjectionHook) FaultInjectionHook(*self, WM_TIMER);
        Fire(self->on_timer_, self);
      } catch (...) {
        ReportFailure(std::current_exception());
      }
    }
    return 0;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}
