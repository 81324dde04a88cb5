// The password generator: Count code units drawn independently and uniformly from an alphabet.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "passwords/draw_source.h"
#include "toolkit/exception.h"
#include "toolkit/scope_exit.h"
#include "toolkit/secure_wipe.h"

inline constexpr char16_t kNoAlphabetMessage[] = u"Не задан набор символов для генерации пароля";

// Replaces result with count code units of alphabet, one draw from source per unit. Each code
// unit of the alphabet is one symbol: repeated units weigh more, a surrogate pair is two symbols.
// For count <= 0 it returns at once and leaves result as it was. A buffer of result that held an
// earlier password and the blocks the characters pass through are cleared before they are freed
// or left. pump() runs after every block of characters, so a caller can let waiting window
// messages through during a long password. Throws Exception (kNoAlphabetMessage) for an empty
// alphabet, std::bad_alloc when out of memory, and whatever source or pump throw.
template <class CharT, class Pump>
void DrawPassword(std::basic_string_view<CharT> alphabet, std::int32_t count, TDrawSource& source,
                  std::basic_string<CharT>& result, Pump&& pump) {
  if (count <= 0) {
    return;
  }
  if (alphabet.empty()) {
    throw Exception(kNoAlphabetMessage);
  }
  const auto range = static_cast<std::uint32_t>(alphabet.size());
  // A smaller buffer would be freed by the reserve with the last password in it.
  if (result.capacity() < static_cast<std::size_t>(count)) SecureWipe(result);
  result.clear();
  // Reserved, not filled: the pages are touched block by block, between two pumps.
  result.reserve(static_cast<std::size_t>(count));
  constexpr std::size_t kBlock = 256;
  std::uint32_t picks[kBlock];
  CharT chars[kBlock];
  // The blocks hold a piece of the password; they are cleared on every way out.
  const std::size_t used = static_cast<std::size_t>(count) < kBlock ? static_cast<std::size_t>(count) : kBlock;
  const TScopeExit wipe_blocks([&picks, &chars, used] {
    SecureWipe(picks, used * sizeof picks[0]);
    SecureWipe(chars, used * sizeof chars[0]);
  });
  for (auto left = static_cast<std::size_t>(count); left != 0;) {
    const std::size_t n = left < kBlock ? left : kBlock;
    source.DrawMany(range, std::span<std::uint32_t>(picks, n));
    for (std::size_t i = 0; i < n; ++i) {
      chars[i] = alphabet[picks[i]];
    }
    result.append(chars, n);
    left -= n;
    pump();
  }
}
