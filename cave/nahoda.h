// The game's random numbers. On every platform they are the sequence that
// Debian's C library gives from rand when never seeded, so that the water
// and the diamond colours come out the same everywhere, tick by tick.
#pragma once

#include <array>
#include <cstdint>

// The generator: an additive feedback generator of 31 words, kept as that
// library keeps it. Plain data, so that the tools can save and restore it.
struct Nahoda {
  std::array<uint32_t, 31> r;
  int f, b;  // the two words the next draw adds
};
extern Nahoda nahoda_stav;  // at program start as after nahoda_seed(1)

// The next draw, 0 to 2147483647.
int32_t nahoda();
// Starts the sequence again as that library's srand(seed) does.
void nahoda_seed(uint32_t seed);
