// The cave sets built into the program.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "cave/load.h"

extern const std::array<uint8_t, 25 * RECORD> tavrok_s1;    // Tavrok Classic
extern const std::array<uint8_t, 20 * RECORD> tavrokc64_1;  // C64 Tavrok I.
extern const std::array<uint8_t, 20 * RECORD> tavrokc64_p;  // C64 Tavrok Expert
extern const std::array<uint8_t, 20 * RECORD> tavrokc64_b;  // C64 Tavrok Extreme

struct CaveSet {
  const char* name;
  const uint8_t* data;  // `caves` records back to back
  uint32_t caves;
};

// The set of that name, or null.
const CaveSet* find_set(std::string_view name);

// Caves in the set that starts at `set`: 25 for the classic set, 20 for the others.
uint32_t caves_in(const uint8_t* set);

// The built-in set that starts at `data`, or null.
const CaveSet* set_of(const uint8_t* data);
