// The application object: the message loop, message processing inside long commands, the
// default failure report and the queue of work other threads hand to the GUI thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/object.h"
#include "toolkit/pass_pacer.h"

class TWinControl;

// Which windows a message box keeps from input while it is open.
enum class TBoxScope {
  TaskWindows,  // every window of the program
  Owner,        // its owner only (the hidden application window as owner: no visible one)
};

class TApplication : public TObject {
public:
  // Makes itself the process's Application and creates its hidden window.
  TApplication();
  ~TApplication() override;

  // The caption of every failure report.
  std::wstring Title;
  // The main window carries the task-bar button itself.
  bool MainFormOnTaskBar = false;

  // The application's own hidden window: it owns message boxes that must not disable the main
  // window and receives the wake-up of work handed over by other threads.
  HWND Handle() const noexcept { return handle_; }
  TWinControl* MainForm() const noexcept { return main_form_; }
  bool Terminated() const noexcept { return terminated_; }
  // Asks the message loop to end: posts the quit request.
  void Terminate();

  // Shows the main window and runs the message loop until the application is terminating.
  void Run();
  // Takes one waiting message and handles it; when none waits, does the idle work and sleeps
  // until a message or work from another thread arrives.
  void HandleMessage();
  // Takes and dispatches every waiting message (mouse messages first) until none is left; never
  // waits. A quit request taken here only marks the application as terminating.
  void ProcessMessages();
  // ProcessMessages, but only once a millisecond has passed since the last pass: a pass costs
  // tens of microseconds, too much after every short password. Meant to be called after every
  // small step of a long command, whatever a step costs: the clock is read about every eighth of
  // a millisecond of the caller's time (as many calls as took that long before, at most twice as
  // many as last time and at most 32), so a pass is late by about that much at most.
  void ProcessMessagesIfDue();
  // For benchmarks, since the last reset: how many passes ProcessMessages has made, the longest
  // time from the end of one pass to the end of the next, and the longest pass itself, in
  // milliseconds. A reset also forgets what ProcessMessagesIfDue learnt of its caller.
  std::uint64_t Passes() const noexcept { return statistics_.Passes(); }
  double LongestPassGapMs() const noexcept { return static_cast<double>(statistics_.LongestGap()) / ticks_per_ms_; }
  double LongestPassMs() const noexcept { return static_cast<double>(statistics_.LongestPass()) / ticks_per_ms_; }
  void ResetPassStatistics() noexcept;

  // The default failure report: cancels any mouse capture, ignores a silent abort, and shows
  // any other failure's message in a modal box. Never throws.
  void HandleException(std::exception_ptr failure) noexcept;
  // Shows message in the failure report's box: captioned with Title, owned by the program's
  // active window (the hidden application window when none is active), every other window of
  // the program disabled while it is open.
  void ShowException(std::u16string message);
  // The failure report for when no application object could be made: a box with no owner.
  static void ShowStartFailure(std::exception_ptr failure, const wchar_t* caption) noexcept;
  // The one way the program shows a message box. Afterwards the focus returns to where it was;
  // when the program had none (it was in the background) and the box leaves the hidden
  // application window active, the main window takes the activation back, so the keyboard
  // reaches its controls again.
  int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags,
                     TBoxScope scope = TBoxScope::TaskWindows);
  // Replaces the real message box, for tests; receives owner, text, caption and flags.
  std::function<int(HWND, const std::wstring&, const std::wstring&, UINT)> OnMessageBox;

  // Runs work on the GUI thread and waits until it has run; a failure of the work is rethrown
  // in the calling thread. Called on the GUI thread, runs the work at once.
  static void Synchronize(const std::function<void()>& work);
  // Runs the work other threads have queued; GUI thread only. Returns whether any ran.
  bool CheckSynchronize();

  // Top-level windows (forms) register themselves; the first one becomes the main window.
  void RegisterForm(TWinControl* form);
  void UnregisterForm(TWinControl* form);
  const std::vector<TWinControl*>& Forms() const noexcept { return forms_; }

  // Disables every enabled, visible top-level window of the GUI thread but except; the
  // returned windows are enabled again by EnableWindows.
  static std::vector<HWND> DisableTaskWindows(HWND except);
  static void EnableWindows(const std::vector<HWND>& windows);

private:
  bool ProcessMessage(MSG& msg);
  bool PreTranslate(MSG& msg);
  void Idle();
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  TApplication* previous_ = nullptr;  // restored when this one ends (tests nest them)
  HRESULT com_ = E_FAIL;
  HWND handle_ = nullptr;
  TWinControl* main_form_ = nullptr;
  std::vector<TWinControl*> forms_;
  bool terminated_ = false;
  LONGLONG ticks_per_ms_ = 1;
  TPassPacer pacer_{1};  // when ProcessMessagesIfDue reads the clock and passes
  TPassStatistics statistics_;
};

// Handles only the window system's own notifications for ms milliseconds, no input. A window
// manager may hand the keyboard focus over asynchronously (an X window manager under Wine does):
// when a window goes away, the focus it hands to the window below may arrive only after that one
// has gone too, and then it falls to no window at all, so keys go nowhere until a click. Called
// while a window that is about to go still exists, it lets that focus land there and pass on.
void LetWindowSystemSettle(DWORD ms);

// The process's application object, created first thing by the program (and by tests).
extern TApplication* Application;

