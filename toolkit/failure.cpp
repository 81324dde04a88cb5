// The default failure report: where a failure that escaped a handler goes, and its text.
#include "toolkit/failure.h"

#include <new>
#include <utility>

#include "toolkit/exception.h"
#include "toolkit/text.h"

namespace {

TFailureReport g_report = nullptr;

std::u16string OwnMessage(const std::exception& e) {
  if (auto* x = dynamic_cast<const Exception*>(&e)) return x->Message();
  if (dynamic_cast<const std::bad_alloc*>(&e)) return u"Out of memory";
  return Utf16FromUtf8(e.what());
}

// The message of the innermost failure nested in e; empty when nothing is nested or the
// innermost one is not a std::exception.
std::u16string InnermostMessage(const std::exception& e) {
  const std::exception* current = &e;
  std::exception_ptr keep;  // keeps the failure that current points into alive
  for (;;) {
    auto* nested = dynamic_cast<const std::nested_exception*>(current);
    if (!nested || !nested->nested_ptr()) break;
    try {
      std::rethrow_exception(nested->nested_ptr());
    } catch (const std::exception& inner) {
      keep = std::current_exception();
      current = &inner;
    } catch (...) {
      return {};
    }
  }
  return current == &e ? std::u16string() : OwnMessage(*current);
}

}  // namespace

std::u16string FailureMessage(std::exception_ptr failure, bool& silent) {
  silent = false;
  try {
    std::rethrow_exception(failure);
  } catch (const EAbort&) {
    silent = true;
    return {};
  } catch (const std::exception& e) {
    std::u16string inner = InnermostMessage(e);
    return inner.empty() ? OwnMessage(e) : inner;
  } catch (...) {
    return u"Unknown failure";
  }
}

std::u16string WithFullStop(std::u16string text) {
  if (!text.empty() && text.back() > u'.') text += u'.';
  return text;
}

void SetFailureReport(TFailureReport report) noexcept { g_report = report; }

void ReportFailure(std::exception_ptr failure) noexcept {
  if (!g_report) std::terminate();
  g_report(std::move(failure));
}
