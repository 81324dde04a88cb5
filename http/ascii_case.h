// Case rules of the protocol's own words (scheme, host, header names, "chunked"): ASCII only,
// never the user's locale, so a Turkish "I" or a non-ASCII byte never matches a letter.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

template <typename Char>
constexpr Char LowerAscii(Char c) {
  return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c + 32) : c;
}

template <typename Char>
std::basic_string<Char> LowerAsciiText(std::basic_string_view<Char> s) {
  std::basic_string<Char> out(s);
  std::transform(out.begin(), out.end(), out.begin(), [](Char c) { return LowerAscii(c); });
  return out;
}

template <typename Char>
bool EqualsNoCaseText(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](Char x, Char y) { return LowerAscii(x) == LowerAscii(y); });
}

inline std::string Lower(std::string_view s) { return LowerAsciiText(s); }
inline bool EqualsNoCase(std::string_view a, std::string_view b) { return EqualsNoCaseText(a, b); }
inline bool EqualsNoCase(std::u16string_view a, std::u16string_view b) { return EqualsNoCaseText(a, b); }
