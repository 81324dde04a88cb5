// A worker thread object: created suspended, runs Execute, then hands its completion handler to
// the GUI thread and waits until it has run.
#pragma once

#include <windows.h>

#include <exception>

#include "toolkit/handle_win.h"
#include "toolkit/exception.h"
#include "toolkit/object.h"

class TThread : public TObject {
public:
  // Creates the thread suspended. Throws EThread ("Thread creation error: <system text>").
  TThread();
  ~TThread() override;

  // Lets the suspended thread run. Throws EThread when the system refuses.
  void Start();

  // The object destroys itself when the thread has finished.
  bool FreeOnTerminate = false;
  // Runs on the GUI thread after Execute has ended, however it ended.
  TNotifyEvent OnTerminate;
  // The failure that ended Execute, if any; kept, never reported.
  std::exception_ptr FatalException;

  HANDLE Handle() const noexcept { return handle_.Get(); }

protected:
  // The thread's body.
  virtual void Execute() = 0;

private:
  static DWORD WINAPI ThreadProc(void* self);

  TUniqueKernelHandle handle_;
};

class EThread : public Exception {
public:
  using Exception::Exception;
};
