// The process-wide 32-bit linear congruential generator of the banner and the tests.
// Used on the GUI thread only.
#pragma once

#include <cstdint>

extern std::uint32_t RandomState;

// Seeds RandomState once from a clock: the low 32 bits of the performance counter, or the
// milliseconds since system start when the counter is not available.
void SeedRandom();

// Advances RandomState by one step and returns floor(Range * RandomState / 2^32): a number from
// 0 to Range - 1 for Range >= 1, and 0 for Range 0.
std::uint32_t DrawRandom(std::int32_t Range);
