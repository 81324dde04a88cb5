// Work other threads hand to the GUI thread: each of them waits until the GUI thread has run its
// work and gets back what the work threw.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

class TSyncQueue {
public:
  // How the GUI thread is woken: raise is called as work arrives, lower as the GUI thread takes
  // all that waits; both under the queue's lock, so a raise is never lost to a lower. Either may
  // be empty.
  struct TWaker {
    std::function<void()> raise;
    std::function<void()> lower;
  };

  // The thread that runs the work; work handed over on that thread runs at once.
  void SetGuiThread(std::thread::id id);
  // Replaces the waker and returns the one before.
  TWaker SetWaker(TWaker waker);

  // Runs work on the GUI thread and waits until it has run; a failure of the work is rethrown
  // here.
  void Run(const std::function<void()>& work);
  // Runs every waiting request on the calling thread, which must be the GUI thread; returns
  // whether any ran.
  bool Drain();

private:
  struct TRequest {
    const std::function<void()>* work;
    std::exception_ptr failure;
    bool done = false;
  };

  std::mutex lock_;
  std::condition_variable finished_;
  std::deque<TRequest*> requests_;
  TWaker waker_;
  std::thread::id gui_thread_;
};
