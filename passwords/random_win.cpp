// Seeding of the process-wide generator from the system clocks.
#include <windows.h>

#include "passwords/random.h"

void SeedRandom() {
  LARGE_INTEGER count;
  if (::QueryPerformanceCounter(&count)) {
    RandomState = static_cast<std::uint32_t>(count.QuadPart);
  } else {
    RandomState = ::GetTickCount();
  }
}
