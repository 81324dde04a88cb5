// The numeric entry field's rules: the integer-text rule, the bounds, steps, the exit
// normalisation and the typed-character filter.
#include "controls/spin_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "toolkit/text.h"

namespace {

std::u16string U(const char* utf8) { return Utf16FromUtf8(utf8); }

struct ParseCase {
  std::u16string text;
  std::optional<std::int32_t> expected;
};

TEST(IntegerText, FollowsTheRuleOnEveryKindOfText) {
  const std::optional<std::int32_t> fails;
  const ParseCase cases[] = {
      // Decimal, with the documented examples.
      {u"007", 7}, {u" 12", 12}, {u"+5", 5}, {u"-0", 0}, {u"$1F", 31}, {u"12 ", fails},
      {u"1-2", fails}, {u"2147483648", fails}, {u"99999999999", fails},
      {u"0", 0}, {u"2147483647", INT32_MAX}, {u"-2147483648", INT32_MIN}, {u"-2147483649", fails},
      {u"+2147483647", INT32_MAX}, {u"00000000002147483647", INT32_MAX}, {u"-5", -5},
      {u"   -42", -42}, {u"--1", fails}, {u"+-1", fails}, {u"- 1", fails}, {u"1 2", fails},
      // Only U+0020 counts as a blank.
      {u"\t1", fails}, {U("\u00a01"), fails}, {U("\u30001"), fails},
      // Nothing to read.
      {u"", fails}, {u" ", fails}, {u"-", fails}, {u"+", fails}, {u"   +", fails},
      // Hexadecimal, with every prefix.
      {u"$ff", 255}, {u"xFF", 255}, {u"XfF", 255}, {u"0x10", 16}, {u"0X10", 16}, {u"-$10", -16},
      {u"+x7fffffff", INT32_MAX}, {u"$80000000", INT32_MIN}, {u"-$80000000", INT32_MIN},
      {u"$19", 25}, {u"$FFFFFFFF", -1}, {u"-$FFFFFFFF", 1}, {u"$100000000", fails}, {u"$0000000001", 1},
      {u"0x000000000FFFFFFFF", -1}, {u"$", fails}, {u"x", fails}, {u"0x", fails}, {u"-0X", fails},
      {u"$ 1", fails}, {u"$1g", fails}, {u"0x1 ", fails}, {u"00x1", fails}, {u"$-1", fails},
      {u"1F", fails}, {u"0x$1", fails},
      // Letters, line breaks, other digits and stray code units.
      {u"abc", fails}, {u"1\r\n", fails}, {U("\uff11"), fails}, {U("\u0661"), fails},
      {std::u16string(u"1\0", 2), fails}, {std::u16string(u"\0" "1", 2), fails},
      {std::u16string(1, u'\xd800'), fails},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(Utf8FromUtf16(c.text));
    EXPECT_EQ(ParseIntegerText(c.text), c.expected);
  }
}

TEST(IntegerText, LongTextsAreReadWithoutOverflow) {
  EXPECT_EQ(ParseIntegerText(std::u16string(10000, u'0')), 0);
  EXPECT_EQ(ParseIntegerText(std::u16string(10000, u'0') + u"42"), 42);
  EXPECT_EQ(ParseIntegerText(std::u16string(10000, u'9')), std::nullopt);
  EXPECT_EQ(ParseIntegerText(std::u16string(u"$").append(10000, u'0').append(u"ABCDEF01")),
            static_cast<std::int32_t>(0xABCDEF01));
  EXPECT_EQ(ParseIntegerText(std::u16string(u"$").append(10000, u'f')), std::nullopt);
  EXPECT_EQ(ParseIntegerText(std::u16string(10000, u' ') + u"7"), 7);
}

TEST(IntegerText, EveryPrefixOfAValidTextReadsItsOwnDigits) {
  const std::u16string text = u"  -0x7FfF1234";
  for (std::size_t n = 0; n <= text.size(); ++n) {
    SCOPED_TRACE(n);
    std::optional<std::int32_t> expected;  // blanks, the sign and "0x" alone fail
    if (n == 4) expected = 0;              // "  -0"
    if (n >= 6) expected = -static_cast<std::int32_t>(std::stoul(Utf8FromUtf16(text.substr(5, n - 5)), nullptr, 16));
    EXPECT_EQ(ParseIntegerText(std::u16string_view(text).substr(0, n)), expected);
  }
}

TEST(SpinRules, ReadingAppliesNoBoundButFailsToTheMinimum) {
  const TSpinRules program{.MinValue = 1, .MaxValue = 0};
  const struct {
    std::u16string text;
    std::int32_t expected;
  } cases[] = {
      {u"", 0}, {u"0", 0}, {u"-5", -5}, {u"7", 7}, {u"007", 7}, {u"abc", 1}, {u"12 ", 1},
      {u"99999999999", 1}, {u"-", 1}, {u"$1F", 31},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8FromUtf16(c.text));
    EXPECT_EQ(program.ReadValue(c.text), c.expected);
  }
}

TEST(SpinRules, ClampComparesTheValueNotTheNegativeReplacement) {
  struct Case {
    TSpinRules rules;
    std::int32_t v, expected;
  };
  const Case cases[] = {
      // Neither bound set: nothing is bounded.
      {{.MinValue = 0, .MaxValue = 0}, -7, -7},
      {{.MinValue = 0, .MaxValue = 0}, INT32_MAX, INT32_MAX},
      // Only the upper bound: 0 is a real lower bound then.
      {{.MinValue = 0, .MaxValue = 10}, -1, 0},
      {{.MinValue = 0, .MaxValue = 10}, 11, 10},
      {{.MinValue = 0, .MaxValue = 10}, 10, 10},
      // Only the lower bound (the program's settings).
      {{.MinValue = 1, .MaxValue = 0}, 1, 1},
      {{.MinValue = 1, .MaxValue = 0}, 0, 1},
      {{.MinValue = 1, .MaxValue = 0}, INT32_MIN, 1},
      {{.MinValue = 1, .MaxValue = 0}, INT32_MAX, INT32_MAX},
      // Both bounds.
      {{.MinValue = -5, .MaxValue = 5}, -6, -5},
      {{.MinValue = -5, .MaxValue = 5}, 6, 5},
      {{.MinValue = -5, .MaxValue = 5}, -3, -3},
      // Crossed bounds: the lower one is tested first.
      {{.MinValue = 10, .MaxValue = 3}, 5, 10},
      {{.MinValue = 10, .MaxValue = 3}, 11, 3},
      // Negatives refused: the replacement is max(0, MinValue), but the tests use V.
      {{.MinValue = 0, .MaxValue = 0, .AllowNegative = false}, -7, 0},
      {{.MinValue = -5, .MaxValue = 0, .AllowNegative = false}, -3, 0},
      {{.MinValue = -5, .MaxValue = 0, .AllowNegative = false}, -9, -5},
      {{.MinValue = -5, .MaxValue = 0, .AllowNegative = false}, -5, 0},
      {{.MinValue = -10, .MaxValue = -5, .AllowNegative = false}, -5, 0},
      {{.MinValue = -5, .MaxValue = 5, .AllowNegative = false}, -3, 0},
      {{.MinValue = 3, .MaxValue = 0, .AllowNegative = false}, -3, 3},
      {{.MinValue = 0, .MaxValue = 9, .AllowNegative = false}, -3, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rules.MinValue << ".." << c.rules.MaxValue << " negative "
                                    << c.rules.AllowNegative << " v " << c.v);
    EXPECT_EQ(c.rules.ClampValue(c.v), c.expected);
  }
}

TEST(SpinRules, WritingRefusedNegativesAndBoundsBeforeTheDecimalText) {
  const TSpinRules plain;
  EXPECT_EQ(plain.ValueText(-12), u"-12");
  EXPECT_EQ(plain.ValueText(INT32_MIN), u"-2147483648");
  const TSpinRules no_negative{.MinValue = -5, .AllowNegative = false};
  EXPECT_EQ(no_negative.ValueText(-9), u"0") << "replaced by max(0, MinValue) before the bound";
  const TSpinRules program{.MinValue = 1};
  EXPECT_EQ(program.ValueText(0), u"1");
  EXPECT_EQ(program.ValueText(42), u"42");
}

TEST(SpinRules, StepsWrapAroundAndThenMeetTheBounds) {
  const TSpinRules program{.MinValue = 1};
  const struct {
    std::u16string text;
    std::int32_t notches;
    std::u16string expected;
  } cases[] = {
      {u"1", -1, u"1"},  {u"", 1, u"1"},   {u"0", 1, u"1"},           {u"7", 1, u"8"},
      {u"007", 1, u"8"}, {u"007", 0, u"7"}, {u"", 0, u"1"},           {u"5", 2, u"7"},
      {u"5", -2, u"3"},  {u"abc", 1, u"2"}, {u"99999999999", 1, u"2"}, {u"2147483647", 1, u"1"},
      {u"$1F", 1, u"32"}, {u"2147483647", -1, u"2147483646"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8FromUtf16(c.text) + " " + std::to_string(c.notches));
    EXPECT_EQ(program.StepText(c.text, c.notches), c.expected);
  }
  const TSpinRules unbounded{.Increment = 1000000000};
  EXPECT_EQ(unbounded.StepText(u"2000000000", 1), u"-1294967296") << "wraps instead of saturating";
  EXPECT_EQ(unbounded.StepText(u"0", 5), u"705032704") << "the product wraps too";
}

TEST(SpinRules, LeavingTheFieldFixesTheSignThenTheBounds) {
  const TSpinRules program{.MinValue = 1};
  const struct {
    std::u16string text, expected;
  } program_cases[] = {
      {u"", u"1"},      {u"0", u"1"},   {u"00", u"1"}, {u"-", u"1"},   {u"-0", u"1"},
      {u"5", u"5"},     {u"007", u"007"}, {u"abc", u"abc"}, {u"99999999999", u"99999999999"},
      {u"12 ", u"12 "}, {u"-5", u"1"},  {u"+12", u"+12"}, {u" 12", u" 12"},
  };
  for (const auto& c : program_cases) {
    SCOPED_TRACE(Utf8FromUtf16(c.text));
    EXPECT_EQ(program.ExitText(c.text), c.expected);
  }
  const TSpinRules unbounded;
  EXPECT_EQ(unbounded.ExitText(u"-"), u"0");
  EXPECT_EQ(unbounded.ExitText(u"-0"), u"0");
  EXPECT_EQ(unbounded.ExitText(u"-00"), u"-00") << "only the two exact texts";
  EXPECT_EQ(unbounded.ExitText(u""), u"");
  const TSpinRules no_negative{.AllowNegative = false};
  EXPECT_EQ(no_negative.ExitText(u"-7"), u"0");
}

TEST(WheelRemainder, SmallTurnsStepTogetherAndATurnBackStartsAfresh) {
  const struct {
    std::vector<std::int32_t> deltas;
    std::vector<std::int32_t> notches;
  } cases[] = {
      {{120}, {1}},
      {{240}, {2}},
      {{60}, {0}},
      {{-119}, {0}},
      {{30, 30, 30, 30}, {0, 0, 0, 1}},
      {{30, 30, 30, 30, 30, 30, 30, 30}, {0, 0, 0, 1, 0, 0, 0, 1}},
      {{-30, -30, -30, -30}, {0, 0, 0, -1}},
      {{90, 90}, {0, 1}},  // the rest, 60, carries on
      {{200, 100}, {1, 1}},
      {{90, -30, -90}, {0, 0, -1}},  // the other way drops the 90
      {{-90, 120}, {0, 1}},
      {{32767, -32768}, {273, -273}},
  };
  for (const auto& c : cases) {
    TWheelRemainder wheel;
    std::vector<std::int32_t> got;
    for (std::int32_t d : c.deltas) got.push_back(wheel.Notches(d));
    EXPECT_EQ(got, c.notches) << testing::PrintToString(c.deltas);
  }
  TWheelRemainder wheel;
  wheel.Notches(90);
  wheel.Reset();
  EXPECT_EQ(wheel.Notches(30), 0) << "a reset forgets the rest";
}

TEST(CharFilter, JudgesEveryKindOfCharacter) {
  using V = TCharVerdict;
  const TCharContext normal{.Text = u"12", .SelStart = 2, .SelEnd = 2};
  const struct {
    char16_t c;
    V expected;
  } cases[] = {
      {u'\r', V::Consume}, {u'\n', V::Consume}, {u'\t', V::Consume}, {u'\b', V::Pass}, {27, V::Pass},
      {u'0', V::Pass},     {u'9', V::Pass},     {22, V::Pass},       {3, V::Pass},     {24, V::Pass},
      {1, V::Pass},        {0, V::Pass},        {u'a', V::Refuse},   {u' ', V::Refuse}, {u'+', V::Refuse},
      {u'$', V::Refuse},   {127, V::Refuse},    {0xFF11, V::Refuse}, {0xD800, V::Refuse},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.c));
    EXPECT_EQ(FilterTypedChar(c.c, normal), c.expected);
  }
  TCharContext locked = normal;
  locked.EditorEnabled = false;
  EXPECT_EQ(FilterTypedChar(u'5', locked), V::Refuse);
  EXPECT_EQ(FilterTypedChar(u'\b', locked), V::Pass);
}

TEST(CharFilter, MinusOnlyAtTheStartAndOnlyOnce) {
  using V = TCharVerdict;
  const struct {
    bool allow_negative, in_range;
    std::u16string text;
    int start, end;
    V expected;
  } cases[] = {
      {true, true, u"", 0, 0, V::Pass},
      {true, true, u"12", 0, 0, V::Pass},
      {true, true, u"12", 1, 1, V::Refuse},     // not at the first position
      {true, true, u"12", 0, 2, V::Pass},
      {true, true, u"-12", 0, 0, V::Refuse},    // a second minus
      {true, true, u"-12", 0, 1, V::Refuse},    // spans fewer than all but one
      {true, true, u"-12", 0, 2, V::Pass},      // all characters but one
      {true, true, u"-12", 0, 3, V::Pass},
      {true, true, u"-", 0, 0, V::Pass},        // all but one of a single character: nothing
      {true, false, u"", 0, 0, V::Refuse},      // MinValue above 0 (the program's fields)
      {false, true, u"", 0, 0, V::Refuse},      // negatives not allowed: dropped with a beep
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8FromUtf16(c.text) + " " + std::to_string(c.start) + ".." + std::to_string(c.end));
    const TCharContext context{.AllowNegative = c.allow_negative,
                               .NegativeInRange = c.in_range,
                               .Text = c.text,
                               .SelStart = c.start,
                               .SelEnd = c.end};
    EXPECT_EQ(FilterTypedChar(u'-', context), c.expected);
  }
}

}  // namespace
