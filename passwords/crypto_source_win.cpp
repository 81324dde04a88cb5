// The operating system's cryptographic random generator as a draw source for passwords.
#include "passwords/crypto_source_win.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstdio>

#include "toolkit/exception.h"
#include "toolkit/text.h"

void CryptoDrawSource::Refill(std::span<std::uint8_t> bytes) {
  const NTSTATUS status =
      ::BCryptGenRandom(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
  if (status < 0) {
    char code[16];
    snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(status));
    throw Exception(u"Системный генератор случайных чисел не работает (код " + Utf16FromLatin1(code) + u")");
  }
}
