// The numeric entry field's rules that need no window: reading a whole number from its text,
// the bounds, the steps, the typed-character filter and the normalisation when it is left.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The integer-text rule: blanks (U+0020 only), at most one sign, then either decimal digits
// within the signed 32-bit range or a hexadecimal number after "$", "x", "X", "0x" or "0X" with
// at most eight significant digits (its 32-bit pattern taken as two's complement, a "-"
// negating it modulo 2^32). The digits must run to the end of the text. Never reads outside
// the text, whatever it holds; nullopt when the text does not follow the rule.
std::optional<std::int32_t> ParseIntegerText(std::u16string_view text) noexcept;

// Sum and product in 32-bit two's complement: they wrap around instead of overflowing.
std::int32_t WrappingAdd(std::int32_t a, std::int32_t b) noexcept;
std::int32_t WrappingMultiply(std::int32_t a, std::int32_t b) noexcept;

// The settings the number's rules depend on, with the field's defaults.
struct TSpinRules {
  std::int32_t MinValue = 0;
  std::int32_t MaxValue = 0;  // 0: no upper bound
  std::int32_t Increment = 1;
  bool AllowNegative = true;

  // The value the text reads: 0 for an empty text, MinValue for one that fails the integer-text
  // rule, else the parsed number, unbounded.
  std::int32_t ReadValue(std::u16string_view text) const noexcept;
  // The bound rule. The comparisons use v itself, so MaxValue 0 means no upper bound and
  // MinValue 0 bounds nothing unless MaxValue is set.
  std::int32_t ClampValue(std::int32_t v) const noexcept;
  // What a write of v stores: a negative v becomes max(0, MinValue) when negatives are not
  // allowed, then it is bounded and written in decimal.
  std::u16string ValueText(std::int32_t v) const;
  // value plus notches times Increment, wrapping around (a step up is 1 notch, down -1).
  std::int32_t StepValue(std::int32_t value, std::int32_t notches) const noexcept;
  // The text after notches steps of Increment from what text reads.
  std::u16string StepText(std::u16string_view text, std::int32_t notches) const;
  // The text after the field is left: "-0" and "-" become "0", then a value outside the bounds
  // is written bounded; anything else stays as it is.
  std::u16string ExitText(std::u16string_view text) const;
};

// The wheel distance a field has been turned by but has not stepped for yet. A high-resolution
// wheel or a touchpad reports a notch (120) in several smaller distances, 30 each for instance,
// which step only together. A turn the other way starts afresh; the field forgets the rest when
// the focus moves.
class TWheelRemainder {
public:
  // The whole notches of delta together with the rest kept, truncated toward zero; keeps what is
  // left over.
  std::int32_t Notches(std::int32_t delta) noexcept;
  void Reset() noexcept { rest_ = 0; }

private:
  std::int32_t rest_ = 0;
};

// "-0" and a lone "-": the texts that leaving the field turns into "0".
bool IsBareMinusZero(std::u16string_view text) noexcept;

// What happens to a character typed into the field.
enum class TCharVerdict {
  Consume,  // swallowed without a sound: nothing is inserted
  Pass,     // handed to the edit
  Refuse,   // not inserted; the default beep sounds
};

struct TCharContext {
  bool EditorEnabled = true;
  bool AllowNegative = true;
  bool NegativeInRange = true;  // MinValue <= 0
  std::u16string_view Text;
  int SelStart = 0;  // the selection, in code units
  int SelEnd = 0;
};

// The typed-character filter, judging one UTF-16 code unit. Line feed is swallowed like Enter,
// so Ctrl+Enter cannot break the field's one line either.
TCharVerdict FilterTypedChar(char16_t c, const TCharContext& context) noexcept;
