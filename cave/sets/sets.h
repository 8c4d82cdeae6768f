// The cave sets built into the program, by name.
#pragma once

#include <cstdint>
#include <string_view>

struct CaveSet {
  const char* name;
  const uint8_t* data;  // `caves` records back to back
  uint32_t caves;
};

// The set of that name, or null.
const CaveSet* find_set(std::string_view name);
