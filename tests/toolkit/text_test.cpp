// The conversions between the program's UTF-16 text and byte strings: UTF-8 both ways at the
// limits of each sequence length, unpaired surrogates and broken UTF-8 as U+FFFD, Latin-1.
#include <gtest/gtest.h>

#include "toolkit/text.h"

namespace {

TEST(Text, ConvertsAtTheLimitsAndReplacesWhatIsBroken) {
  enum TWay { kBoth, kToUtf8, kFromUtf8, kFromLatin1 };
  struct Case {
    const char* what;
    TWay way;
    std::u16string text;
    std::string bytes;
  };
  const Case cases[] = {
      {"ASCII up to U+007F", kBoth, u"A~\x7F", "A~\x7F"},
      {"U+0080, the first of two bytes", kBoth, u"\u0080", "\xC2\x80"},
      {"U+07FF, the last of two bytes", kBoth, u"\u07FF", "\xDF\xBF"},
      {"U+0800, the first of three", kBoth, u"\u0800", "\xE0\xA0\x80"},
      {"U+FFFF, the last of three", kBoth, u"\uFFFF", "\xEF\xBF\xBF"},
      {"U+10000, the first pair", kBoth, u"\U00010000", "\xF0\x90\x80\x80"},
      {"a pair in four bytes", kBoth, u"x\U0001F600y", "x\xF0\x9F\x98\x80y"},
      {"U+10FFFF, the last pair", kBoth, u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
      // An unpaired surrogate becomes U+FFFD, and only itself.
      {"a lone high surrogate", kToUtf8, {0xD800, u'x'}, "\xEF\xBF\xBD" "x"},
      {"a high surrogate at the end", kToUtf8, {u'x', 0xDBFF}, "x\xEF\xBF\xBD"},
      {"a lone U+DFFF", kToUtf8, {0xDFFF}, "\xEF\xBF\xBD"},
      {"two low surrogates", kToUtf8, {0xDC00, 0xDC01}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
      // A broken sequence gives up only its own bytes, as one U+FFFD.
      {"a sequence broken by ASCII", kFromUtf8, u"\uFFFD" "A", "\xE2\x82" "A"},
      {"a sequence broken by a lead byte", kFromUtf8, u"\uFFFD\u00E9", "\xE2\x82\xC3\xA9"},
      {"a sequence cut by the end", kFromUtf8, u"a\uFFFD\uFFFD", "a\xE2\x82"},
      {"a lone continuation byte", kFromUtf8, u"\uFFFD" "a", "\x80" "a"},
      {"a byte that starts nothing", kFromUtf8, u"\uFFFD", "\xFF"},
      {"beyond U+10FFFF", kFromUtf8, u"\uFFFD", "\xF4\x90\x80\x80"},
      // Overlong forms and encoded surrogates are not characters: "/" and U+0000 cannot hide in
      // them, nor a lone surrogate.
      {"U+0000 in two bytes", kFromUtf8, u"\uFFFD" "a", "\xC0\x80" "a"},
      {"/ in two bytes", kFromUtf8, u"\uFFFD", "\xC0\xAF"},
      {"/ in three bytes", kFromUtf8, u"\uFFFD", "\xE0\x80\xAF"},
      {"U+07FF in three bytes", kFromUtf8, u"\uFFFD", "\xE0\x9F\xBF"},
      {"U+FFFF in four bytes", kFromUtf8, u"\uFFFD", "\xF0\x8F\xBF\xBF"},
      {"an encoded high surrogate", kFromUtf8, u"\uFFFD", "\xED\xA0\x80"},
      {"an encoded low surrogate", kFromUtf8, u"\uFFFD", "\xED\xBF\xBF"},
      {"U+D7FF, just below them", kBoth, u"\uD7FF", "\xED\x9F\xBF"},
      {"U+E000, just above them", kBoth, u"\uE000", "\xEE\x80\x80"},
      {"Latin-1, a code unit a byte", kFromLatin1, u"a\u00E9\u0080\u00FF", "a\xE9\x80\xFF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.way == kBoth || c.way == kToUtf8) {
      EXPECT_EQ(Utf8FromUtf16(c.text), c.bytes);
    }
    if (c.way == kBoth || c.way == kFromUtf8) {
      EXPECT_EQ(Utf16FromUtf8(c.bytes), c.text);
    }
    if (c.way == kFromLatin1) {
      EXPECT_EQ(Utf16FromLatin1(c.bytes), c.text);
    }
  }
}

}  // namespace
