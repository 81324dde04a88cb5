// Makes one allocation fail on request, for tests of what a failed allocation leaves behind. A
// test program that links allocation_failures.cpp has its operator new and delete replaced by
// ones that count the allocations and fail the one asked for.
#pragma once

#include <new>

// The allocation after `allowed` more fails once, with std::bad_alloc; -1: none fails.
void FailAllocationAfter(long allowed);
// Allocations made through operator new since the last FailAllocationAfter.
long AllocationCount();

// Runs f with each of its allocations failing in turn, then once with none failing: check(failed)
// runs after every run, with failed telling whether f threw std::bad_alloc. f must make the same
// allocations every time it is given the same state; prepare() restores that state before each run.
template <class Prepare, class F, class Check>
void ForEachAllocationFailing(Prepare&& prepare, F&& f, Check&& check) {
  prepare();
  FailAllocationAfter(-1);
  f();
  const long allocations = AllocationCount();
  for (long k = 0; k <= allocations; ++k) {
    prepare();
    FailAllocationAfter(k < allocations ? k : -1);
    bool failed = false;
    try {
      f();
    } catch (const std::bad_alloc&) {
      failed = true;
    }
    FailAllocationAfter(-1);
    check(failed);
  }
}
