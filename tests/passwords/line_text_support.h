// Line helpers over vectors of strings, for the tests of the line splitting and joining.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "passwords/line_text.h"

// Appends the lines of text to lines, reserving room for all of them first.
template <class Char>
void SplitLines(std::basic_string_view<Char> text, std::vector<std::basic_string<Char>>& lines) {
  lines.reserve(lines.size() + CountLines(text));
  ForEachLine(text, [&lines](const Char* first, std::size_t length) { lines.emplace_back(first, length); });
}

// The length of the text JoinLines builds: every line's length plus 2 for its CR LF.
template <class Char>
std::size_t JoinedLength(const std::vector<std::basic_string<Char>>& lines) noexcept {
  std::size_t total = 0;
  for (const auto& s : lines) total += s.size() + 2;
  return total;
}

// Every line followed by CR LF, the last one included, as a line-list file holds them; CR and LF
// inside lines are copied unchanged.
template <class Char>
std::basic_string<Char> JoinLines(const std::vector<std::basic_string<Char>>& lines) {
  constexpr Char kSeparator[] = {0x0D, 0x0A};
  std::basic_string<Char> text;
  text.reserve(JoinedLength(lines));
  for (const auto& line : lines) text.append(line).append(kSeparator, 2);
  return text;
}
