// The numeric entry field's rules that need no window.
#include "controls/spin_rules.h"

#include <algorithm>

#include "toolkit/text.h"

namespace {

int HexDigit(char16_t c) noexcept {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::int32_t> ParseIntegerText(std::u16string_view text) noexcept {
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n && text[i] == u' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  bool hex = false;
  if (i < n && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
    hex = true;
    i += 1;
  } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return std::nullopt;  // no digits: empty, a lone sign or a lone prefix

  if (hex) {
    std::uint32_t pattern = 0;
    int significant = 0;
    for (; i < n; ++i) {
      const int digit = HexDigit(text[i]);
      if (digit < 0) return std::nullopt;
      // Leading zeros do not count towards the eight digits a 32-bit pattern holds.
      if ((significant > 0 || digit != 0) && ++significant > 8) return std::nullopt;
      pattern = (pattern << 4) | static_cast<std::uint32_t>(digit);
    }
    if (negative) pattern = 0u - pattern;
    return static_cast<std::int32_t>(pattern);
  }

  // The magnitude stops growing at the first digit past the limit, so any length is safe.
  const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
  std::uint64_t magnitude = 0;
  for (; i < n; ++i) {
    const char16_t c = text[i];
    if (c < u'0' || c > u'9') return std::nullopt;
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - u'0');
    if (magnitude > limit) return std::nullopt;
  }
  const auto bits = static_cast<std::uint32_t>(magnitude);
  return static_cast<std::int32_t>(negative ? 0u - bits : bits);
}

std::int32_t WrappingAdd(std::int32_t a, std::int32_t b) noexcept {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

std::int32_t WrappingMultiply(std::int32_t a, std::int32_t b) noexcept {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

std::int32_t TSpinRules::ReadValue(std::u16string_view text) const noexcept {
  if (text.empty()) return 0;
  return ParseIntegerText(text).value_or(MinValue);
}

std::int32_t TSpinRules::ClampValue(std::int32_t v) const noexcept {
  std::int32_t result = v;
  if (v < 0 && !AllowNegative) result = std::max(0, MinValue);
  if (MinValue != 0 || MaxValue != 0) {
    if (v < MinValue) return MinValue;
    if (MaxValue != 0 && v > MaxValue) return MaxValue;
  }
  return result;
}

std::u16string TSpinRules::ValueText(std::int32_t v) const {
  if (v < 0 && !AllowNegative) v = std::max(0, MinValue);
  return DecimalText(ClampValue(v));
}

std::int32_t TSpinRules::StepValue(std::int32_t value, std::int32_t notches) const noexcept {
  return WrappingAdd(value, WrappingMultiply(notches, Increment));
}

std::u16string TSpinRules::StepText(std::u16string_view text, std::int32_t notches) const {
  return ValueText(StepValue(ReadValue(text), notches));
}

std::int32_t TWheelRemainder::Notches(std::int32_t delta) noexcept {
  constexpr std::int64_t kNotch = 120;
  if ((rest_ > 0 && delta < 0) || (rest_ < 0 && delta > 0)) rest_ = 0;
  const std::int64_t total = std::int64_t{rest_} + delta;
  rest_ = static_cast<std::int32_t>(total % kNotch);
  return static_cast<std::int32_t>(total / kNotch);
}

bool IsBareMinusZero(std::u16string_view text) noexcept { return text == u"-0" || text == u"-"; }

std::u16string TSpinRules::ExitText(std::u16string_view text) const {
  const std::u16string_view signed_fixed = IsBareMinusZero(text) ? std::u16string_view(u"0") : text;
  const std::int32_t v = ReadValue(signed_fixed);
  if (ClampValue(v) != v) return ValueText(v);
  return std::u16string(signed_fixed);
}

TCharVerdict FilterTypedChar(char16_t c, const TCharContext& context) noexcept {
  switch (c) {
    case u'\r':
    case u'\n':
    case u'\t':
      return TCharVerdict::Consume;
    case u'\b':
    case 27:  // Escape
      return TCharVerdict::Pass;
    case u'-': {
      if (!context.AllowNegative || !context.NegativeInRange || context.SelStart != 0) return TCharVerdict::Refuse;
      const bool has_minus = context.Text.find(u'-') != std::u16string_view::npos;
      const auto spanned = static_cast<std::size_t>(std::max(context.SelEnd - context.SelStart, 0));
      // A minus may replace the one already there only when it replaces all or all but one character.
      if (!has_minus || spanned + 1 >= context.Text.size()) return TCharVerdict::Pass;
      return TCharVerdict::Refuse;
    }
    default:
      break;
  }
  if (c >= u'0' && c <= u'9') return context.EditorEnabled ? TCharVerdict::Pass : TCharVerdict::Refuse;
  if (c < 32) return TCharVerdict::Pass;  // clipboard shortcuts and the like
  return TCharVerdict::Refuse;
}
