// The numeric entry field's decisions about its text that need no window: which changes it takes
// as they are and which it checks as a paste, and what it writes back when a text arrives, when it
// is left and when the wheel turns it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "controls/spin_rules.h"

// The messages whose handling may change the field's text, as the field tells them apart.
enum class TFieldMessage {
  Char,        // a typed character, after the character filter
  ImeChar,     // a character an input method sends one by one
  SysChar,
  KeyDown,     // Delete; the keys that cut and paste are sent on as their messages
  SysKeyDown,
  Cut,
  Clear,
  Undo,        // either undo message
  SetText,     // a new window text
  ReplaceSel,  // a replaced selection
  Paste,
  Other,       // an input method's composition, a menu that pastes by itself, whatever else
};

// How a change of the text that happens while a message is handled is taken.
enum class TTextRoute {
  Taken,    // typing, cutting, undoing or the field's own write: the text is taken as it is
  Arrived,  // a paste, a text another program set, an input method's result: checked as a paste
};

// The route of a message. Everything the field writes itself is taken; a new text or a replaced
// selection is the program's own when sent from its own thread, another program's when not.
TTextRoute RouteOf(TFieldMessage message, bool writing, bool sent_from_other_thread) noexcept;

// The routes of nested messages. A change is taken at once on a taken route; on an arrived one it
// waits until the outermost message has ended, so the check never runs in the middle of the
// edit's own handling.
class TTextRouter {
public:
  // A message begins; returns the route around it, which End gives back.
  TTextRoute Begin(TTextRoute route) noexcept;
  void End(TTextRoute outer) noexcept;
  // The text changed: true when it is taken now, false when it waits for its check.
  bool TakeChange() noexcept;
  // Whether an arrived text is due for its check: the outermost message is done. The check runs
  // on the taken route, so its own writes are taken.
  bool ArrivalDue() noexcept;

private:
  TTextRoute route_ = TTextRoute::Taken;
  int depth_ = 0;
  bool arrived_ = false;
};

// The field as the number's decisions see it: calls into it. Every write raises the field's
// change, whose handlers may write again or move the focus, so each step reads the field afresh.
struct TNumberField {
  std::function<std::u16string()> text;
  std::function<void(std::u16string_view)> write;
  std::function<TSpinRules()> rules;
  std::function<bool()> has_focus;
  std::function<bool()> read_only;
};

// The number behind the field's text: the value of the last text taken and the wheel's rest.
class TSpinNumber {
public:
  // A text taken as it is: the value it reads is kept.
  void Taken(const TNumberField& field);
  // An arrived text that fails the integer-text rule is replaced by the value kept, in decimal and
  // unbounded. A field without the focus will not be left before a command reads it, so there the
  // text takes the bounds at once, as leaving it would give them. Its value is kept.
  void Arrived(const TNumberField& field);
  // Leaving the field: "-0" and "-" are written as "0", then a value outside the bounds is written
  // bounded; two writes, each raising its change.
  static void Normalize(const TNumberField& field);
  // A wheel turn: whole notches step, with what earlier small turns left, and the text is written
  // in normal form even for less than one; a read-only field keeps its text.
  void Wheel(const TNumberField& field, std::int32_t delta);
  // The focus arrived or left: the wheel's rest is forgotten.
  void ResetWheel() noexcept { wheel_.Reset(); }

private:
  std::int32_t kept_ = 0;
  TWheelRemainder wheel_;
};
