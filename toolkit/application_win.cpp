// One loop serves the program and every modal level; work from other threads waits in a queue
// that a message to the application's hidden window drains.
#include "toolkit/application_win.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <thread>

#include "toolkit/exception.h"
#include "toolkit/failure.h"
#include "toolkit/sync_queue.h"
#include "toolkit/system_library_win.h"
#include "toolkit/wide.h"
#include "toolkit/window_win.h"

TApplication* Application = nullptr;

namespace {

const wchar_t kWindowClass[] = L"TarvelinApplication";

// The process-wide queue of work handed to the GUI thread and the event set while work waits in
// it. Neither is ever destroyed: a worker thread may still be waiting in the queue while the
// process ends.
TSyncQueue& Queue() {
  static TSyncQueue* queue = new TSyncQueue;
  return *queue;
}
HANDLE WakeEvent() {
  static const HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  return event;
}

// Wakes the GUI thread for work: the event ends its idle wait, WM_NULL to window (the current
// application's) drains the queue also while a modal loop or a message box runs.
TSyncQueue::TWaker WakerFor(HWND window) {
  return TSyncQueue::TWaker{[window] {
                              ::SetEvent(WakeEvent());
                              if (window) ::PostMessageW(window, WM_NULL, 0, 0);
                            },
                            [] { ::ResetEvent(WakeEvent()); }};
}

// The failure report every window, timer and worker completion reaches: the current
// application's.
void ReportToApplication(std::exception_ptr failure) noexcept {
  if (!Application) std::terminate();
  Application->HandleException(std::move(failure));
}

LONGLONG Now() {
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return t.QuadPart;
}

}  // namespace

TApplication::TApplication() {
  // COM for the GUI thread, as long as the windows live: the accessible names of the controls
  // are annotations kept by the system's accessibility objects.
  com_ = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  CommonControls().InitCommonControlsEx(&icc);
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  RegisterWindowClass(kWindowClass, &TApplication::WindowProc, 0, nullptr, ::LoadIconW(instance, MAKEINTRESOURCEW(1)));
  handle_ = ::CreateWindowExW(0, kWindowClass, L"Tarvelin", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  if (!handle_) throw EOutOfResources(u"Cannot create a window");
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  ticks_per_ms_ = std::max<LONGLONG>(frequency.QuadPart / 1000, 1);
  pacer_ = TPassPacer(ticks_per_ms_);
  Queue().SetGuiThread(std::this_thread::get_id());
  Queue().SetWaker(WakerFor(handle_));
  previous_ = Application;
  Application = this;
  SetFailureReport(&ReportToApplication);
}

TApplication::~TApplication() {
  Queue().SetWaker(WakerFor(previous_ ? previous_->handle_ : nullptr));
  ::DestroyWindow(handle_);
  if (Application == this) Application = previous_;
  if (SUCCEEDED(com_)) ::CoUninitialize();
}

void TApplication::RegisterForm(TWinControl* form) {
  forms_.push_back(form);
  if (!main_form_) main_form_ = form;
}

void TApplication::UnregisterForm(TWinControl* form) {
  std::erase(forms_, form);
  if (main_form_ == form) main_form_ = nullptr;
}

void TApplication::Terminate() { ::PostQuitMessage(0); }

void TApplication::Run() {
  if (main_form_) main_form_->Show();
  while (!terminated_) HandleMessage();
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!::PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE) &&
      !::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    return false;
  }
  if (msg.message == WM_QUIT) {
    terminated_ = true;
  } else if (!PreTranslate(msg)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return true;
}

bool TApplication::PreTranslate(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  try {
    if (TWinControl* control = TWinControl::FromHandle(msg.hwnd); control && control->PreTranslateKey(msg)) return true;
    TWinControl* top = TWinControl::FromHandle(::GetAncestor(msg.hwnd, GA_ROOT));
    return top && top->DialogKey(msg);
  } catch (...) {
    HandleException(std::current_exception());
    return true;
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle();
}

void TApplication::Idle() {
  CheckSynchronize();
  MSG msg;
  if (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) return;
  HANDLE event = WakeEvent();
  ::MsgWaitForMultipleObjectsEx(1, &event, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void TApplication::ProcessMessages() {
  const LONGLONG start = Now();
  // Inside a long command the queue is nearly always empty: one question to the system finds
  // that out, where taking messages mouse-first needs two calls and more waiting on the system's
  // message server, which is where a pass loses the processor to other programs.
  if (HIWORD(::GetQueueStatus(QS_ALLINPUT)) != 0) {
    MSG msg;
    while (ProcessMessage(msg)) {
    }
  }
  statistics_.Record(start, Now());
}

void TApplication::ResetPassStatistics() noexcept {
  const LONGLONG now = Now();
  statistics_.Reset(now);
  pacer_.Reset(now);
}

void TApplication::ProcessMessagesIfDue() {
  if (!pacer_.Count()) return;
  if (pacer_.PassDue(Now(), statistics_.LastPass())) {
    ProcessMessages();
    pacer_.PassMade(statistics_.LastPass());
  }
}

void TApplication::HandleException(std::exception_ptr failure) noexcept {
  try {
    if (HWND capture = ::GetCapture()) ::SendMessageW(capture, WM_CANCELMODE, 0, 0);
    bool silent = false;
    std::u16string text = FailureMessage(failure, silent);
    if (!silent) ShowException(std::move(text));
  } catch (...) {
    // Nothing can be done about a failure of the failure report itself.
  }
}

void TApplication::ShowException(std::u16string message) {
  HWND owner = ::GetActiveWindow();
  if (!owner) owner = handle_;
  ShowMessageBox(owner, Wide(WithFullStop(std::move(message))), Title, MB_OK | MB_ICONERROR);
}

void TApplication::ShowStartFailure(std::exception_ptr failure, const wchar_t* caption) noexcept {
  try {
    bool silent = false;
    const std::u16string text = FailureMessage(failure, silent);
    if (!silent) ::MessageBoxW(nullptr, Wide(WithFullStop(text)).c_str(), caption, MB_OK | MB_ICONERROR);
  } catch (...) {
    // Nothing is left to report with.
  }
}

int TApplication::ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags,
                                 TBoxScope scope) {
  const HWND focus = ::GetFocus();
  // The box itself disables and enables its owner, so activation returns there when it closes.
  std::vector<HWND> disabled;
  if (scope == TBoxScope::TaskWindows) disabled = DisableTaskWindows(owner);
  int result = 0;
  try {
    // Qualified: the system's box, never a member of the same name.
    result = OnMessageBox ? OnMessageBox(owner, text, caption, flags)
                          : ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
  } catch (...) {
    EnableWindows(disabled);
    throw;
  }
  EnableWindows(disabled);
  if (focus && ::IsWindow(focus)) {
    ::SetFocus(focus);
  } else if (::GetActiveWindow() == handle_ && main_form_ && ::IsWindowVisible(main_form_->Handle())) {
    ::SetActiveWindow(main_form_->Handle());
  }
  return result;
}

void LetWindowSystemSettle(DWORD ms) {
  const ULONGLONG deadline = ::GetTickCount64() + ms;
  for (ULONGLONG now = ::GetTickCount64(); now < deadline; now = ::GetTickCount64()) {
    ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_POSTMESSAGE | QS_SENDMESSAGE, 0);
    ::Sleep(5);
  }
}

std::vector<HWND> TApplication::DisableTaskWindows(HWND except) {
  struct TCollect {
    HWND except;
    std::vector<HWND> windows;
  } collect{except, {}};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* c = reinterpret_cast<TCollect*>(lp);
        if (hwnd != c->except && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd)) c->windows.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&collect));
  for (HWND hwnd : collect.windows) ::EnableWindow(hwnd, FALSE);
  return collect.windows;
}

void TApplication::EnableWindows(const std::vector<HWND>& windows) {
  for (HWND hwnd : windows) {
    if (::IsWindow(hwnd)) ::EnableWindow(hwnd, TRUE);
  }
}

void TApplication::Synchronize(const std::function<void()>& work) { Queue().Run(work); }

bool TApplication::CheckSynchronize() { return Queue().Drain(); }

LRESULT CALLBACK TApplication::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NULL && Application && Application->handle_ == hwnd) {
    Application->CheckSynchronize();
    return 0;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}
