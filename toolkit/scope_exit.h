// Runs a piece of code when the scope ends, on every path out of it.
#pragma once

#include <utility>

template <class F>
class ScopeExit {
public:
  explicit ScopeExit(F f) : f_(std::move(f)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() { f_(); }

private:
  F f_;
};
