// The platform of the simulator and the tests: keys come from an array the
// caller fills (or, tick by tick, from a feed), nothing is drawn, waits return
// at once, and what the core asked of the platform is counted so tests can
// check it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "cave/platform.h"

using Keys = std::array<bool, KL_COUNT>;
extern Keys headless_keys;
extern int32_t headless_mx, headless_my;  // the mouse's move in every tick

// When set, every `pacing` takes the next entry as the keys held in that
// tick; past the end nothing is held. Keys are let go when a cave ends, so
// the pauses and screens between caves see none held.
extern const std::vector<Keys>* headless_feed;
extern std::size_t headless_fed;  // entries taken so far

// When set, `po_ticku` passes its call on to it.
extern bool (*headless_po_ticku)(Konec k);

struct HeadlessLog {
  int renders = 0;      // vpic_1font calls
  int delay_ticks = 0;  // sum of the counts passed to Delay100
  int titles = 0, gameovers = 0, prosels = 0;  // screens shown
  std::vector<std::array<uint8_t, 4>> pals;  // index, r, g, b of every pal call
};
extern HeadlessLog headless_log;
