// The text of the default failure report.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "toolkit/exception.h"
#include "toolkit/failure.h"

namespace {

template <class F>
std::exception_ptr Caught(F&& raise) {
  try {
    raise();
  } catch (...) {
    return std::current_exception();
  }
  return nullptr;
}

TEST(WithFullStop, AppendsOnlyAfterCharactersBeyondTheStop) {
  struct Case {
    std::u16string in, out;
  };
  const Case cases[] = {
      {u"Out of memory", u"Out of memory."},
      {u"Done.", u"Done."},
      {u"Done!", u"Done!"},     // '!' comes before '.'
      {u"Done ", u"Done "},     // so does a blank
      {u"Why?", u"Why?."},      // '?' comes after '.'
      {u"Error 42", u"Error 42."},
      {u"Ошибка", u"Ошибка."},
      {u"", u""},
      {u"a,", u"a,"},
      {u"a/", u"a/."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WithFullStop(c.in), c.out) << std::string(c.in.begin(), c.in.end());
  }
}

TEST(FailureMessage, TakesTheMessageOfEachKindOfFailure) {
  bool silent = true;
  EXPECT_EQ(FailureMessage(Caught([] { throw Exception(u"Нет файла"); }), silent), u"Нет файла");
  EXPECT_FALSE(silent);
  EXPECT_STREQ(Exception(u"Нет файла").what(), "Нет файла") << "the message in UTF-8 for code that knows only std::exception";
  EXPECT_EQ(FailureMessage(Caught([] { throw std::bad_alloc(); }), silent), u"Out of memory");
  EXPECT_EQ(FailureMessage(Caught([] { throw std::runtime_error("plain failure"); }), silent), u"plain failure");
  EXPECT_EQ(FailureMessage(Caught([] { throw 42; }), silent), u"Unknown failure");
  EXPECT_FALSE(silent);
}

TEST(FailureMessage, AnAbortIsSilent) {
  struct EMyAbort : EAbort {};
  bool silent = false;
  EXPECT_EQ(FailureMessage(Caught([] { throw EAbort(); }), silent), u"");
  EXPECT_TRUE(silent);
  silent = false;
  FailureMessage(Caught([] { throw EMyAbort(); }), silent);
  EXPECT_TRUE(silent);
}

TEST(FailureMessage, PrefersTheInnermostNonEmptyMessage) {
  bool silent = false;
  auto nested = [](std::u16string outer, std::u16string middle, std::u16string inner) {
    return Caught([&] {
      try {
        try {
          throw Exception(inner);
        } catch (...) {
          std::throw_with_nested(Exception(middle));
        }
      } catch (...) {
        std::throw_with_nested(Exception(outer));
      }
    });
  };
  EXPECT_EQ(FailureMessage(nested(u"outer", u"middle", u"inner"), silent), u"inner");
  EXPECT_EQ(FailureMessage(nested(u"outer", u"middle", u""), silent), u"outer") << "an empty innermost message";
  EXPECT_EQ(FailureMessage(Caught([] {
              try {
                throw std::bad_alloc();
              } catch (...) {
                std::throw_with_nested(Exception(u"wrapper"));
              }
            }),
                           silent),
            u"Out of memory");
}

}  // namespace
