// Runs a piece of code when the scope ends, on every path out of it.
#pragma once

#include <utility>

template <class F>
class TScopeExit {
public:
  explicit TScopeExit(F f) : f_(std::move(f)) {}
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;
  ~TScopeExit() { f_(); }

private:
  F f_;
};
