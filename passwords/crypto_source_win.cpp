// BCryptGenRandom, loaded from the system folder when the source is made, or at the first draw
// if that failed; its failure fails the draw with the status code.
#include "passwords/crypto_source_win.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstdio>

#include "toolkit/exception.h"
#include "toolkit/system_library_win.h"
#include "toolkit/text.h"

namespace {

[[noreturn]] void ThrowGeneratorFailure(unsigned long code) {
  char text[16];
  snprintf(text, sizeof text, "0x%08lX", code);
  throw Exception(u"Системный генератор случайных чисел не работает (код " + Utf16FromLatin1(text) + u")");
}

// BCryptGenRandom, taken from bcrypt.dll in the system folder at the first call: bcrypt is not a
// known DLL, so an import of it would load a copy planted beside the program. A failure to load
// it fails the draw, like a failure of the generator; there is no other source to fall back on.
decltype(&::BCryptGenRandom) GenRandom() {
  static const auto function = []() -> decltype(&::BCryptGenRandom) {
    const HMODULE module = LoadSystemLibrary(L"bcrypt.dll");
    if (!module) ThrowGeneratorFailure(::GetLastError());
    const auto f = SystemFunction<decltype(&::BCryptGenRandom)>(module, "BCryptGenRandom");
    if (!f) ThrowGeneratorFailure(ERROR_PROC_NOT_FOUND);
    return f;
  }();
  return function;
}

}  // namespace

TCryptoDrawSource::TCryptoDrawSource() noexcept {
  try {
    GenRandom();
  } catch (...) {
    // A function-local static whose initialisation failed is tried again at the next call.
  }
}

void TCryptoDrawSource::Refill(std::span<std::uint8_t> bytes) {
  const NTSTATUS status =
      GenRandom()(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
  if (status < 0) ThrowGeneratorFailure(static_cast<unsigned long>(status));
}
