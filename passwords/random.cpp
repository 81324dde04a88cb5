// The process-wide 32-bit linear congruential generator.
#include "passwords/random.h"

std::uint32_t RandomState = 0;

std::uint32_t DrawRandom(std::int32_t Range) {
  RandomState = RandomState * 134775813u + 1u;
  const std::uint64_t product = std::uint64_t(static_cast<std::uint32_t>(Range)) * RandomState;
  return static_cast<std::uint32_t>(product >> 32);
}
