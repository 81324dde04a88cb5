// The completion handler runs through TApplication::Synchronize; a failure of the body is kept in
// FatalException, a failure of the handler is reported on the GUI thread.
#include "toolkit/thread_win.h"

#include "toolkit/application_win.h"
#include "toolkit/failure.h"
#include "toolkit/system_error_win.h"
#include "toolkit/window_win.h"

TThread::TThread() {
  handle_.Reset(::CreateThread(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, nullptr));
  if (!handle_) throw EThread(u"Thread creation error: " + SystemErrorText(::GetLastError()));
}

TThread::~TThread() = default;

void TThread::Start() {
  if (::ResumeThread(handle_.Get()) == static_cast<DWORD>(-1)) {
    throw EThread(u"Thread error: " + SystemErrorText(::GetLastError()));
  }
}

DWORD WINAPI TThread::ThreadProc(void* param) {
  auto* self = static_cast<TThread*>(param);
  try {
    self->Execute();
  } catch (...) {
    self->FatalException = std::current_exception();
  }
  const bool free_self = self->FreeOnTerminate;
  if (self->OnTerminate) {
    try {
      TApplication::Synchronize([self] {
        // A failure of the handler is reported on the GUI thread, where it runs, while this
        // thread waits.
        try {
          if (FaultInjectionHook) FaultInjectionHook(*self, WM_NULL);
          self->OnTerminate(self);
        } catch (...) {
          ReportFailure(std::current_exception());
        }
      });
    } catch (...) {
      // The handing over itself failed (no event to wait on): the handler cannot run.
    }
  }
  if (free_self) delete self;
  return 0;
}
