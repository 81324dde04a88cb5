// The field's routes nest with its messages; its number is read from the text at every step.
#include "controls/spin_field.h"

#include "toolkit/text.h"

TTextRoute RouteOf(TFieldMessage message, bool writing, bool sent_from_other_thread) noexcept {
  if (writing) return TTextRoute::Taken;
  switch (message) {
    case TFieldMessage::Char:
    case TFieldMessage::ImeChar:
    case TFieldMessage::SysChar:
    case TFieldMessage::KeyDown:
    case TFieldMessage::SysKeyDown:
    case TFieldMessage::Cut:
    case TFieldMessage::Clear:
    case TFieldMessage::Undo:
      return TTextRoute::Taken;
    case TFieldMessage::SetText:
    case TFieldMessage::ReplaceSel:
      return sent_from_other_thread ? TTextRoute::Arrived : TTextRoute::Taken;
    case TFieldMessage::Paste:
    case TFieldMessage::Other:
      break;
  }
  return TTextRoute::Arrived;
}

TTextRoute TTextRouter::Begin(TTextRoute route) noexcept {
  const TTextRoute outer = route_;
  route_ = route;
  ++depth_;
  return outer;
}

void TTextRouter::End(TTextRoute outer) noexcept {
  route_ = outer;
  --depth_;
}

bool TTextRouter::TakeChange() noexcept {
  if (route_ == TTextRoute::Taken) return true;
  arrived_ = true;
  return false;
}

bool TTextRouter::ArrivalDue() noexcept {
  if (depth_ != 1 || !arrived_) return false;
  arrived_ = false;
  route_ = TTextRoute::Taken;
  return true;
}

void TSpinNumber::Taken(const TNumberField& field) { kept_ = field.rules().ReadValue(field.text()); }

void TSpinNumber::Arrived(const TNumberField& field) {
  if (!ParseIntegerText(field.text())) field.write(DecimalText(kept_));
  if (!field.has_focus()) Normalize(field);
  Taken(field);
}

void TSpinNumber::Normalize(const TNumberField& field) {
  if (IsBareMinusZero(field.text())) field.write(u"0");
  field.write(field.rules().ExitText(field.text()));
}

void TSpinNumber::Wheel(const TNumberField& field, std::int32_t delta) {
  const std::int32_t notches = wheel_.Notches(delta);
  if (!field.read_only()) field.write(field.rules().StepText(field.text(), notches));
}
