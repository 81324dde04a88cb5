// A request lives on the stack of the thread that waits for it; the GUI thread marks it done under
// the lock and never touches it afterwards, so the waiting thread may return at once.
#include "toolkit/sync_queue.h"

#include <utility>

void TSyncQueue::SetGuiThread(std::thread::id id) {
  const std::lock_guard guard(lock_);
  gui_thread_ = id;
}

TSyncQueue::TWaker TSyncQueue::SetWaker(TWaker waker) {
  const std::lock_guard guard(lock_);
  return std::exchange(waker_, std::move(waker));
}

void TSyncQueue::Run(const std::function<void()>& work) {
  std::unique_lock guard(lock_);
  if (std::this_thread::get_id() == gui_thread_) {
    guard.unlock();
    work();
    return;
  }
  TRequest request{&work, nullptr};
  requests_.push_back(&request);
  if (waker_.raise) waker_.raise();
  finished_.wait(guard, [&request] { return request.done; });
  if (request.failure) std::rethrow_exception(request.failure);
}

bool TSyncQueue::Drain() {
  std::deque<TRequest*> batch;
  {
    const std::lock_guard guard(lock_);
    batch.swap(requests_);
    if (waker_.lower) waker_.lower();
  }
  for (TRequest* request : batch) {
    std::exception_ptr failure;
    try {
      (*request->work)();
    } catch (...) {
      failure = std::current_exception();
    }
    {
      const std::lock_guard guard(lock_);
      request->failure = std::move(failure);
      request->done = true;
    }
    finished_.notify_all();
  }
  return !batch.empty();
}
