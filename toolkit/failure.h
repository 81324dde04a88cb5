// The default failure report: where a failure that escaped a handler goes, and its text, worked
// out from the caught failure.
#pragma once

#include <exception>
#include <string>

// The message of failure: an Exception's own message, the innermost nested failure's message
// when that is not empty, "Out of memory" for std::bad_alloc, the text of any other
// std::exception. silent becomes true for an abort (EAbort and its descendants), which shows
// nothing.
std::u16string FailureMessage(std::exception_ptr failure, bool& silent);

// Appends a full stop when the text is not empty and its last character comes after "." in
// code order, so "Out of memory" reads "Out of memory." while "Done!" or "Done." stay.
std::u16string WithFullStop(std::u16string text);

// Where every failure that escapes a handler run by the message loop goes: the handlers of any
// window, with or without a parent, of windowless controls, timers and a worker's completion.
// The application object installs its report; until one is installed nothing could show a
// failure, and the process ends (std::terminate), as a failure must never unwind through the
// window system.
using TFailureReport = void (*)(std::exception_ptr failure) noexcept;
void SetFailureReport(TFailureReport report) noexcept;
void ReportFailure(std::exception_ptr failure) noexcept;
