// The text of the default failure report, worked out from a caught failure.
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
