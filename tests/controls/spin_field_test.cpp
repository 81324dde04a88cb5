// The numeric field's text routes, their nesting, and what it writes when a text arrives, when it
// is left and when the wheel turns.
#include "controls/spin_field.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/text.h"

namespace {

TEST(TextRoute, TypingCuttingUndoingAndOwnWritesAreTakenTheRestArrives) {
  using M = TFieldMessage;
  using R = TTextRoute;
  const struct {
    M message;
    R alone, from_other_thread, while_writing;
  } cases[] = {
      {M::Char, R::Taken, R::Taken, R::Taken},
      {M::ImeChar, R::Taken, R::Taken, R::Taken},
      {M::SysChar, R::Taken, R::Taken, R::Taken},
      {M::KeyDown, R::Taken, R::Taken, R::Taken},
      {M::SysKeyDown, R::Taken, R::Taken, R::Taken},
      {M::Cut, R::Taken, R::Taken, R::Taken},
      {M::Clear, R::Taken, R::Taken, R::Taken},
      {M::Undo, R::Taken, R::Taken, R::Taken},
      {M::SetText, R::Taken, R::Arrived, R::Taken},
      {M::ReplaceSel, R::Taken, R::Arrived, R::Taken},
      {M::Paste, R::Arrived, R::Arrived, R::Taken},
      {M::Other, R::Arrived, R::Arrived, R::Taken},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.message));
    EXPECT_EQ(RouteOf(c.message, false, false), c.alone);
    EXPECT_EQ(RouteOf(c.message, false, true), c.from_other_thread);
    EXPECT_EQ(RouteOf(c.message, true, true), c.while_writing);
  }
}

// One step of a message trace: a message begins on a route, the text changes, or the innermost
// message ends (and the field asks whether an arrival is due).
enum class TTraceStep { BeginTaken, BeginArrived, Change, End };

// Runs the trace as the field's window procedure does; writes "t" for a change taken at once and
// "A" for an arrival checked, in their order.
std::string RunTrace(const std::vector<TTraceStep>& trace) {
  TTextRouter router;
  std::vector<TTextRoute> outers;
  std::string got;
  for (TTraceStep step : trace) {
    switch (step) {
      case TTraceStep::BeginTaken:
      case TTraceStep::BeginArrived:
        outers.push_back(router.Begin(step == TTraceStep::BeginTaken ? TTextRoute::Taken : TTextRoute::Arrived));
        break;
      case TTraceStep::Change:
        if (router.TakeChange()) got += 't';
        break;
      case TTraceStep::End: {
        if (router.ArrivalDue()) got += 'A';
        router.End(outers.back());
        outers.pop_back();
        break;
      }
    }
  }
  return got;
}

TEST(TextRouter, AnArrivalIsCheckedOnceWhenTheOutermostMessageEnds) {
  using S = TTraceStep;
  const struct {
    std::vector<S> trace;
    std::string expected;
  } cases[] = {
      {{S::BeginTaken, S::Change, S::End}, "t"},
      {{S::BeginArrived, S::Change, S::End}, "A"},
      {{S::BeginArrived, S::Change, S::Change, S::End}, "A"},  // one check for several changes
      {{S::BeginArrived, S::End}, ""},                        // a paste that changed nothing
      // A paste inside a typed character waits for the character's end.
      {{S::BeginTaken, S::BeginArrived, S::Change, S::End, S::End}, "A"},
      // The field's own write inside a paste is taken at once; the paste's change is checked later.
      {{S::BeginArrived, S::Change, S::BeginTaken, S::Change, S::End, S::End}, "tA"},
      // After a nested taken message the paste's route is back.
      {{S::BeginArrived, S::BeginTaken, S::End, S::Change, S::End}, "A"},
      {{S::BeginTaken, S::BeginArrived, S::End, S::Change, S::End}, "t"},
      // Each outermost message has its own check.
      {{S::BeginArrived, S::Change, S::End, S::BeginArrived, S::Change, S::End}, "AA"},
      {{S::BeginArrived, S::Change, S::End, S::BeginTaken, S::End}, "A"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.expected));
    EXPECT_EQ(RunTrace(c.trace), c.expected);
  }
}

TEST(TextRouter, TheCheckRunsOnTheTakenRoute) {
  TTextRouter router;
  const TTextRoute outer = router.Begin(TTextRoute::Arrived);
  EXPECT_FALSE(router.TakeChange());
  ASSERT_TRUE(router.ArrivalDue());
  EXPECT_TRUE(router.TakeChange()) << "the check's own write is taken";
  EXPECT_FALSE(router.ArrivalDue()) << "and raises no second check";
  router.End(outer);
  router.Begin(TTextRoute::Taken);
  EXPECT_FALSE(router.ArrivalDue());
}

// A field in memory. Every write raises the change as the window does: taken at once, and the
// handler the test sets, which may write again.
class TFakeField {
public:
  std::u16string text;
  TSpinRules rules;
  bool focused = true;
  bool read_only = false;
  std::vector<std::u16string> writes;
  std::function<void(TFakeField&)> on_change;
  TSpinNumber* number = nullptr;

  // The field's calls as the number makes them.
  TNumberField Calls() {
    return TNumberField{[this] { return text; }, [this](std::u16string_view written) { WriteText(written); },
                        [this] { return rules; }, [this] { return focused; }, [this] { return read_only; }};
  }
  void WriteText(std::u16string_view written) {
    writes.emplace_back(written);
    if (text == written) return;  // an equal text raises no change
    text = written;
    if (number) number->Taken(Calls());
    if (on_change) on_change(*this);
  }
};

TEST(SpinNumber, AnArrivedTextFailingTheRuleGetsTheKeptValueAndTheBoundsWhenNotFocused) {
  const TSpinRules program{.MinValue = 1};
  const TSpinRules bounded{.MinValue = -5, .MaxValue = 50};
  const struct {
    TSpinRules rules;
    std::u16string kept_text, arrived;
    bool focused;
    std::vector<std::u16string> writes;
    std::u16string text;
  } cases[] = {
      // Focused: only a text that fails the rule is replaced, unbounded.
      {program, u"7", u"12", true, {}, u"12"},
      {program, u"7", u"abc", true, {u"7"}, u"7"},
      {program, u"7", u"", true, {u"7"}, u"7"},
      {program, u"7", u"-", true, {u"7"}, u"7"},
      {program, u"7", u"0", true, {}, u"0"},
      {program, u"7", u"$1F", true, {}, u"$1F"},
      {program, u"7", u"99999999999", true, {u"7"}, u"7"},
      {program, u"-3", u"x", true, {u"-3"}, u"-3"},  // the kept value is unbounded too
      // Without the focus the text also takes the exit normalisation at once.
      {program, u"7", u"12", false, {u"12"}, u"12"},
      {program, u"7", u"0", false, {u"1"}, u"1"},
      {program, u"7", u"abc", false, {u"7", u"7"}, u"7"},
      {program, u"-3", u"x", false, {u"-3", u"1"}, u"1"},
      {program, u"7", u"-0", false, {u"0", u"1"}, u"1"},
      {bounded, u"7", u"-0", false, {u"0", u"0"}, u"0"},
      {bounded, u"7", u"-", true, {u"7"}, u"7"},
      {bounded, u"7", u"99", false, {u"50"}, u"50"},
      {bounded, u"7", u"99", true, {}, u"99"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8FromUtf16(c.kept_text) + " then " + Utf8FromUtf16(c.arrived) + (c.focused ? " focused" : ""));
    TSpinNumber number;
    TFakeField field;
    field.rules = c.rules;
    field.number = &number;
    field.WriteText(c.kept_text);
    field.text = c.arrived;  // by a paste: no change taken
    field.focused = c.focused;
    field.writes.clear();
    number.Arrived(field.Calls());
    EXPECT_EQ(field.writes, c.writes);
    EXPECT_EQ(field.text, c.text);
    // The value kept now is the one the next failing text gets.
    field.text = u"?";
    field.writes.clear();
    field.focused = true;
    number.Arrived(field.Calls());
    EXPECT_EQ(field.text, DecimalText(c.rules.ReadValue(c.text)));
  }
}

TEST(SpinNumber, EachStepReadsTheFieldAfresh) {
  TSpinNumber number;
  TFakeField field;
  field.rules = {.MinValue = 1};
  field.number = &number;
  field.WriteText(u"7");
  // A change handler that answers the restored value with a text of its own and moves the focus
  // away: the bounds then apply to the handler's text.
  field.on_change = [](TFakeField& f) {
    if (f.text != u"7") return;
    f.focused = false;
    f.WriteText(u"-4");
  };
  field.text = u"x";
  field.writes.clear();
  number.Arrived(field.Calls());
  EXPECT_EQ(field.writes, (std::vector<std::u16string>{u"7", u"-4", u"1"}));
  EXPECT_EQ(field.text, u"1");
}

TEST(SpinNumber, LeavingWritesTheSignFixThenTheBounds) {
  const struct {
    TSpinRules rules;
    std::u16string text;
    std::vector<std::u16string> writes;
  } cases[] = {
      {{.MinValue = 1}, u"-", {u"0", u"1"}},
      {{.MinValue = 1}, u"-0", {u"0", u"1"}},
      {{}, u"-0", {u"0", u"0"}},
      {{.MinValue = 1}, u"5", {u"5"}},
      {{.MinValue = 1}, u"007", {u"007"}},
      {{.MinValue = 1}, u"", {u"1"}},
      {{.MinValue = 1, .MaxValue = 9}, u"12", {u"9"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8FromUtf16(c.text));
    TFakeField field;
    field.rules = c.rules;
    field.text = c.text;
    TSpinNumber::Normalize(field.Calls());
    EXPECT_EQ(field.writes, c.writes);
  }
}

TEST(SpinNumber, TheWheelStepsWholeNotchesAndKeepsTheRestUntilReset) {
  const struct {
    std::vector<std::int32_t> deltas;
    bool read_only;
    std::vector<std::u16string> writes;
  } cases[] = {
      {{120}, false, {u"8"}},
      {{-240}, false, {u"5"}},
      {{60}, false, {u"7"}},  // less than a notch: the text is written in normal form
      {{60, 60}, false, {u"7", u"8"}},
      {{-1200}, false, {u"1"}},
      {{120, 120}, true, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.deltas));
    TSpinNumber number;
    TFakeField field;
    field.rules = {.MinValue = 1};
    field.text = u"007";
    field.read_only = c.read_only;
    for (std::int32_t delta : c.deltas) number.Wheel(field.Calls(), delta);
    EXPECT_EQ(field.writes, c.writes);
  }
  TSpinNumber number;
  TFakeField field;
  field.text = u"7";
  number.Wheel(field.Calls(), 90);
  number.ResetWheel();
  number.Wheel(field.Calls(), 90);
  EXPECT_EQ(field.text, u"7") << "the focus moved: the rest is forgotten";
}

}  // namespace
