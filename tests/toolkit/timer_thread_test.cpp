// Window timers and worker threads.
#include <windows.h>

#include <atomic>

#include "tests/win_test_support.h"
#include "toolkit/exception.h"
#include "toolkit/thread_win.h"
#include "toolkit/timer_win.h"

namespace {

class TimerTest : public WindowTest {};

TEST_F(TimerTest, CountsOnlyWithAnIntervalAnEnabledStateAndAHandler) {
  struct Case {
    UINT interval;
    bool enabled;
    bool handler;
    bool counting;
  };
  const Case cases[] = {
      {100, true, true, true}, {0, true, true, false}, {100, false, true, false}, {100, true, false, false}};
  for (const auto& c : cases) {
    TTimer timer;
    timer.SetInterval(c.interval);
    timer.SetEnabled(c.enabled);
    if (c.handler) timer.SetOnTimer([](TObject*) {});
    EXPECT_EQ(timer.Counting(), c.counting) << c.interval << c.enabled << c.handler;
  }
}

TEST_F(TimerTest, AChangeRestartsTheFullIntervalAndAnEqualValueChangesNothing) {
  TTimer timer;
  DWORD ticked_at = 0;
  timer.SetInterval(300);
  timer.SetOnTimer([&](TObject*) { ticked_at = GetTickCount(); });
  PumpFor(150);
  timer.SetInterval(300);  // the same value: the count goes on
  timer.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return ticked_at != 0; }));

  ticked_at = 0;
  PumpFor(150);
  timer.SetEnabled(false);
  timer.SetEnabled(true);
  const DWORD restarted = GetTickCount();
  ASSERT_TRUE(PumpUntil([&] { return ticked_at != 0; }));
  EXPECT_GE(ticked_at - restarted, 280u) << "the elapsed part was discarded";
}

TEST_F(TimerTest, TicksDoNotAccumulateWhileTheThreadIsBusy) {
  TTimer timer;
  int ticks = 0;
  timer.SetInterval(20);
  timer.SetOnTimer([&](TObject*) { ++ticks; });
  Sleep(300);  // busy: fifteen ticks fall due
  app.ProcessMessages();
  EXPECT_EQ(ticks, 1);
}

TEST_F(TimerTest, AFailingTickIsReportedAndTheTimerKeepsCounting) {
  TTimer timer;
  int ticks = 0;
  timer.SetInterval(20);
  timer.SetOnTimer([&](TObject*) {
    ++ticks;
    throw Exception(u"tick");
  });
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }));
  EXPECT_TRUE(timer.Counting());
  EXPECT_EQ(boxes.at(0).text, L"tick.");
}

class Worker : public TThread {
public:
  explicit Worker(bool fail, std::atomic<bool>* destroyed) : fail_(fail), destroyed_(destroyed) {}
  ~Worker() override { *destroyed_ = true; }
  std::atomic<DWORD> executed_on{0};

protected:
  void Execute() override {
    executed_on = GetCurrentThreadId();
    if (fail_) throw Exception(u"body failed");
  }

private:
  bool fail_;
  std::atomic<bool>* destroyed_;
};

TEST_F(TimerTest, AWorkerHandsItsCompletionToTheGuiThreadAndFreesItself) {
  for (bool fail : {false, true}) {
    SCOPED_TRACE(fail);
    std::atomic<bool> destroyed{false};
    auto* worker = new Worker(fail, &destroyed);
    DWORD completed_on = 0, executed_on = 0;
    bool kept_failure = false;
    worker->FreeOnTerminate = true;
    worker->OnTerminate = [&](TObject* sender) {
      auto* w = static_cast<Worker*>(sender);
      completed_on = GetCurrentThreadId();
      executed_on = w->executed_on;
      kept_failure = static_cast<bool>(w->FatalException);
    };
    worker->Start();
    ASSERT_TRUE(PumpUntil([&] { return destroyed.load(); }));
    EXPECT_EQ(completed_on, GetCurrentThreadId());
    EXPECT_NE(executed_on, GetCurrentThreadId());
    EXPECT_EQ(kept_failure, fail);
    EXPECT_TRUE(boxes.empty()) << "a worker's failure is never shown";
  }
}

}  // namespace
