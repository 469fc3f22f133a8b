#pragma once
// The runtime's random numbers: seeded from the clock once per process.
#include <cstdint>

namespace rt {
void SeedRandomOnce();
// A pseudo-random integer in low..high (both included).
int32_t RandomRange(int32_t low, int32_t high);
}  // namespace rt
