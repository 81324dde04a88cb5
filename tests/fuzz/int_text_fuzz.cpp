// Fuzz target of the integer-text rule: the bytes are read as Latin-1 text and as UTF-16LE text;
// each is checked against a plain reference reading and against the rule's own invariants, and
// run through the field's read, step and exit rules.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "controls/spin_rules.h"
#include "toolkit/text.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// A second, independent reading: through the C library, on the text's ASCII form.
std::optional<std::int32_t> Reference(std::u16string_view text) {
  std::string s;
  for (char16_t c : text) {
    if (c == 0 || c > 127) return std::nullopt;  // no such character may appear in a number
    s += static_cast<char>(c);
  }
  std::size_t i = s.find_first_not_of(' ');
  if (i == std::string::npos) return std::nullopt;
  bool negative = false;
  if (s[i] == '+' || s[i] == '-') negative = s[i++] == '-';
  int base = 10;
  if (s.compare(i, 1, "$") == 0 || s.compare(i, 1, "x") == 0 || s.compare(i, 1, "X") == 0) {
    base = 16, i += 1;
  } else if (s.compare(i, 2, "0x") == 0 || s.compare(i, 2, "0X") == 0) {
    base = 16, i += 2;
  }
  std::string digits = s.substr(std::min(i, s.size()));
  if (digits.empty()) return std::nullopt;
  for (char c : digits) {
    if (base == 10 ? !(c >= '0' && c <= '9') : !std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
  }
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
  if (digits.size() > (base == 10 ? 10u : 8u)) return std::nullopt;
  const unsigned long long magnitude = std::strtoull(digits.c_str(), nullptr, base);
  if (base == 10) {
    if (magnitude > (negative ? 2147483648ull : 2147483647ull)) return std::nullopt;
    return static_cast<std::int32_t>(negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude));
  }
  const auto bits = static_cast<std::uint32_t>(magnitude);
  return static_cast<std::int32_t>(negative ? 0u - bits : bits);
}

const TSpinRules kRules[] = {
    {.MinValue = 1},                                     // the program's fields
    {},                                                  // nothing bounded
    {.MinValue = -10, .MaxValue = 10, .Increment = 7},   // both bounds
    {.MinValue = -3, .AllowNegative = false},            // negatives refused
    {.MinValue = INT32_MIN, .MaxValue = INT32_MAX, .Increment = INT32_MAX},
};

void CheckText(const std::u16string& text) {
  const std::optional<std::int32_t> parsed = ParseIntegerText(text);
  Check(parsed == Reference(text));
  Check(ParseIntegerText(u" " + text) == parsed || text.empty());
  if (parsed) {
    Check(!ParseIntegerText(text + u" "));
    Check(ParseIntegerText(DecimalText(*parsed)) == parsed);
  }
  for (const TSpinRules& rules : kRules) {
    const std::int32_t value = rules.ReadValue(text);
    Check(value == (text.empty() ? 0 : parsed.value_or(rules.MinValue)));
    const std::u16string stepped = rules.StepText(text, 1);
    Check(ParseIntegerText(stepped).has_value());
    const std::u16string left = rules.ExitText(text);
    // Leaving the field twice changes nothing more than leaving it once.
    Check(rules.ExitText(left) == left);
    if (left != text && !IsBareMinusZero(text)) Check(rules.ClampValue(rules.ReadValue(left)) == rules.ReadValue(left));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CheckText(Utf16FromLatin1(bytes));
  std::u16string wide;
  for (std::size_t i = 0; i + 1 < size; i += 2) wide += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  CheckText(wide);
  return 0;
}
