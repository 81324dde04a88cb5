// The operating system's cryptographic random generator as a draw source for passwords.
#pragma once

#include "passwords/draw_source.h"

// Draws from BCryptGenRandom (the system-preferred generator), a block at a time, mapped to the
// alphabet without bias. Throws Exception when the system generator fails; there is no weaker
// fallback.
class TCryptoDrawSource final : public TUnbiasedDrawSource {
public:
  // Loads the system generator already, which takes tens of milliseconds under Wine, so that the
  // first command does not wait for it; a failure to load it is left for the first draw to report.
  TCryptoDrawSource() noexcept;

protected:
  void Refill(std::span<std::uint8_t> bytes) override;
};
