// The platform of the simulator and the tests: keys come from an array the
// caller fills, nothing is drawn, waits return at once, and what the core
// asked of the platform is counted so tests can check it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "cave/platform.h"

extern std::array<bool, KL_COUNT> headless_keys;

struct HeadlessLog {
  int renders = 0;      // vpic_1font calls
  int delay_ticks = 0;  // sum of the counts passed to Delay100
  std::vector<std::array<uint8_t, 4>> pals;  // index, r, g, b of every pal call
};
extern HeadlessLog headless_log;
