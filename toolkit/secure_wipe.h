// Clearing memory that held a secret (a password, the random bytes it was drawn from) before the
// memory is freed or reused.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

// Sets the n bytes at p to zero. The compiler is told the bytes may still be read, so the clearing
// stays even right before the memory is freed, where a plain memset is a dead store it may drop.
inline void SecureWipe(void* p, std::size_t n) noexcept {
  if (n == 0) return;
#if defined(__GNUC__) || defined(__clang__)
  std::memset(p, 0, n);
  __asm__ __volatile__("" : : "r"(p) : "memory");
#else
  for (volatile unsigned char* b = static_cast<volatile unsigned char*>(p); n != 0; --n) *b++ = 0;
#endif
}

// Clears every character the string's buffer holds, up to its capacity, and leaves the string
// empty with the same buffer.
template <class CharT, class Traits, class Alloc>
void SecureWipe(std::basic_string<CharT, Traits, Alloc>& s) noexcept {
  s.resize(s.capacity());  // within the capacity: no new buffer, the whole old one becomes the text
  SecureWipe(s.data(), s.size() * sizeof(CharT));
  s.clear();
}
