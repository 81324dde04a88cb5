// The application object: message processing, the default failure report, work handed over
// by other threads.
#include <windows.h>

#include <atomic>
#include <thread>

#include "tests/message_box_win.h"
#include "tests/win_test_support.h"
#include "toolkit/exception.h"
#include "toolkit/form_win.h"

namespace {

// A bare window that records the messages it receives.
struct Recorder {
  Recorder() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
      if (auto* self = reinterpret_cast<Recorder*>(GetWindowLongPtrW(h, GWLP_USERDATA))) self->seen.push_back(m);
      return DefWindowProcW(h, m, w, l);
    };
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TestRecorder";
    RegisterClassW(&wc);
    hwnd = CreateWindowExW(0, L"TestRecorder", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~Recorder() { DestroyWindow(hwnd); }
  int Count(UINT msg) const { return static_cast<int>(std::count(seen.begin(), seen.end(), msg)); }
  HWND hwnd;
  std::vector<UINT> seen;
};

class ApplicationTest : public WindowTest {};

TEST_F(ApplicationTest, FailureReportShowsTheMessageWithAFullStop) {
  struct Case {
    std::u16string message;
    std::wstring shown;
  };
  const Case cases[] = {
      {u"Out of memory", L"Out of memory."},
      {u"Готово.", L"Готово."},
      {u"Stop!", L"Stop!"},
      {u"Trailing blank ", L"Trailing blank "},
      {u"Why?", L"Why?."},
      {u"Code 7", L"Code 7."},
      {u"", L""},
  };
  for (const auto& c : cases) {
    boxes.clear();
    app.HandleException(std::make_exception_ptr(Exception(c.message)));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.shown);
    EXPECT_EQ(boxes[0].caption, L"Tarvelin");
    EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(boxes[0].owner, app.Handle()) << "no window of the program is active";
  }
}

TEST_F(ApplicationTest, AnAbortShowsNothingButCancelsTheMouseCapture) {
  Recorder holder;
  SetCapture(holder.hwnd);
  app.HandleException(std::make_exception_ptr(EAbort()));
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(holder.Count(WM_CANCELMODE), 1);
  ReleaseCapture();
}

TEST_F(ApplicationTest, AFailingHandlerIsReportedAndTheProgramCarriesOn) {
  // A window whose handler of WM_APP fails.
  struct Failing : TForm {
    Failing() : TForm(TBorderStyle::Dialog, TPosition::ScreenCenter, 200, 100, {}) {}
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
      if (msg != WM_APP) return TForm::WndProc(msg, wp, lp);
      ++calls;
      throw Exception(u"Не вышло");
    }
    int calls = 0;
  } form;
  form.Show();
  SendMessageW(form.Handle(), WM_APP, 0, 0);
  SendMessageW(form.Handle(), WM_APP, 0, 0);
  EXPECT_EQ(form.calls, 2);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, L"Не вышло.");
  EXPECT_TRUE(IsWindow(form.Handle()));
}

TEST_F(ApplicationTest, TheOtherWindowsAreDisabledWhileTheReportIsOpen) {
  TForm main(TBorderStyle::Dialog, TPosition::ScreenCenter, 200, 100, {});
  TForm other(TBorderStyle::ToolWindow, TPosition::MainFormCenter, 100, 50, {});
  main.Show();
  other.Show();
  struct Case {
    const char* what;
    bool program_active;  // else no window of the program is active
    bool failure_report;  // else a box owned by the hidden window that keeps the others usable
    HWND owner;
    bool main_enabled, other_enabled;
  } const cases[] = {
      {"report over the active window", true, true, main.Handle(), true, false},
      {"report in the background", false, true, app.Handle(), false, false},
      {"box of the hidden window", true, false, app.Handle(), true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ::SetActiveWindow(c.program_active ? main.Handle() : nullptr);
    bool main_enabled = false, other_enabled = false;
    on_box = [&](const ShownBox&) {
      main_enabled = ::IsWindowEnabled(main.Handle());
      other_enabled = ::IsWindowEnabled(other.Handle());
    };
    boxes.clear();
    if (c.failure_report) {
      app.ShowException(u"Ошибка");
    } else {
      app.ShowMessageBox(app.Handle(), L"x", L"y", MB_OK, TBoxScope::Owner);
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, c.owner);
    EXPECT_EQ(main_enabled, c.main_enabled);
    EXPECT_EQ(other_enabled, c.other_enabled);
    EXPECT_TRUE(::IsWindowEnabled(main.Handle()) && ::IsWindowEnabled(other.Handle())) << "all enabled again";
  }
}

// The one test of the report through the system's own box, as the program shows it.
TEST_F(ApplicationTest, TheReportIsTheSystemsMessageBox) {
  app.OnMessageBox = nullptr;
  TForm main(TBorderStyle::Dialog, TPosition::ScreenCenter, 200, 100, {});
  TForm other(TBorderStyle::ToolWindow, TPosition::MainFormCenter, 100, 50, {});
  main.Show();
  other.Show();
  ::SetActiveWindow(main.Handle());
  const DWORD gui = ::GetCurrentThreadId();
  std::optional<TSeenBox> seen;
  bool other_enabled = true;
  std::thread user([&] {
    seen = WaitForMessageBox(gui, 10000);
    if (!seen) return;
    other_enabled = ::IsWindowEnabled(other.Handle());
    PressEnterIn(*seen);
  });
  app.ShowException(u"Out of memory");
  user.join();
  ASSERT_TRUE(seen) << "no message box appeared";
  EXPECT_EQ(seen->caption, L"Tarvelin");
  EXPECT_EQ(seen->text, L"Out of memory.");
  EXPECT_EQ(seen->owner, main.Handle());
  EXPECT_FALSE(other_enabled);
  EXPECT_FALSE(::IsWindow(seen->box)) << "Enter closed it";
  EXPECT_TRUE(::IsWindowEnabled(main.Handle()) && ::IsWindowEnabled(other.Handle()));

  // The report for when no application object could be made: the same box, with no owner.
  std::thread start_user([&] {
    seen = WaitForMessageBox(gui, 10000);
    if (seen) PressEnterIn(*seen);
  });
  TApplication::ShowStartFailure(std::make_exception_ptr(Exception(u"Cannot start")), L"Tarvelin");
  start_user.join();
  ASSERT_TRUE(seen) << "no message box appeared for a failed start";
  EXPECT_EQ(seen->caption, L"Tarvelin");
  EXPECT_EQ(seen->text, L"Cannot start.");
  EXPECT_EQ(seen->owner, nullptr);
}

TEST_F(ApplicationTest, ProcessMessagesTakesMouseMessagesFirstAndNeverWaits) {
  Recorder r;
  PostMessageW(r.hwnd, WM_APP, 0, 0);
  PostMessageW(r.hwnd, WM_APP + 1, 0, 0);
  PostMessageW(r.hwnd, WM_LBUTTONDOWN, 0, 0);
  app.ProcessMessages();
  std::vector<UINT> posted;
  for (UINT m : r.seen) {
    if (m == WM_APP || m == WM_APP + 1 || m == WM_LBUTTONDOWN) posted.push_back(m);
  }
  EXPECT_EQ(posted, (std::vector<UINT>{WM_LBUTTONDOWN, WM_APP, WM_APP + 1}));
  const DWORD start = GetTickCount();
  app.ProcessMessages();
  EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST_F(ApplicationTest, AQuitRequestOnlyMarksTermination) {
  Recorder r;
  PostQuitMessage(0);
  PostMessageW(r.hwnd, WM_APP, 0, 0);
  EXPECT_FALSE(app.Terminated());
  app.ProcessMessages();
  EXPECT_TRUE(app.Terminated());
  EXPECT_EQ(r.Count(WM_APP), 1) << "later messages are still dispatched";
}

TEST_F(ApplicationTest, PacedProcessingFollowsTheClockWhateverACallCosts) {
  Recorder r;
  app.ProcessMessages();
  app.ResetPassStatistics();
  PostMessageW(r.hwnd, WM_APP, 0, 0);
  for (int i = 0; i < 1000; ++i) app.ProcessMessagesIfDue();
  EXPECT_EQ(r.Count(WM_APP), 0) << "a pass has just run";
  Sleep(3);
  int calls = 0;
  while (r.Count(WM_APP) == 0 && calls < 1000) {
    app.ProcessMessagesIfDue();
    ++calls;
  }
  EXPECT_EQ(r.Count(WM_APP), 1);
  EXPECT_LE(calls, 32) << "cheap calls read the clock at least every 32nd time";
  // That reading found the calls slow: each one now reads the clock, and each one is due.
  const std::uint64_t passes = app.Passes();
  for (int i = 0; i < 5; ++i) {
    Sleep(2);
    app.ProcessMessagesIfDue();
  }
  EXPECT_EQ(app.Passes() - passes, 5u);
}

TEST_F(ApplicationTest, WorkFromAnotherThreadRunsOnTheGuiThreadWhileTheWorkerWaits) {
  const DWORD gui = GetCurrentThreadId();
  std::atomic<DWORD> ran_on{0};
  std::atomic<bool> worker_done{false};
  std::u16string rethrown;
  std::thread worker([&] {
    TApplication::Synchronize([&] { ran_on = GetCurrentThreadId(); });
    try {
      TApplication::Synchronize([] { throw Exception(u"из GUI"); });
    } catch (const Exception& e) {
      rethrown = e.Message();
    }
    worker_done = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return worker_done.load(); }));
  worker.join();
  EXPECT_EQ(ran_on.load(), gui);
  EXPECT_EQ(rethrown, u"из GUI") << "a failure of the work goes back to the worker";
}

TEST_F(ApplicationTest, HandedOverWorkRunsInsideAnotherModalLoop) {
  // A message box's own loop dispatches the wake-up message to the hidden window.
  std::atomic<bool> ran{false};
  std::thread worker([&] { TApplication::Synchronize([&] { ran = true; }); });
  Sleep(50);
  MSG msg;
  const DWORD start = GetTickCount();
  while (!ran && GetTickCount() - start < 5000) {
    if (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);  // no idle work here
  }
  worker.join();
  EXPECT_TRUE(ran.load());
}

}  // namespace
