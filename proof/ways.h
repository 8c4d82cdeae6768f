// Ways through the built-in caves, and the states a real game carries into a
// cave, for the proof and the way fixer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cave/sets/sets.h"
#include "headless/headless.h"

using Way = std::vector<Keys>;

// The keys of each tick, one line a tick (up down left right).
Way read_way(const std::string& path);
void write_way(const std::string& path, const Way& way);

// WAYS/SET/KK@STATE.txt where it exists, else WAYS/SET/KK.txt.
std::string way_path(const std::string& ways, const CaveSet& s, uint32_t k, const std::string& state);

// What a game carries into a cave: as the program starts, or every
// direction 255, or what `ticks` of cave `other` leave behind plus `draws`
// more of the random sequence.
struct State {
  std::string label;  // fresh, 255, r1, r2, ...
  bool all255 = false;
  uint32_t other = 0;
  int ticks = 0;
  int draws = 0;
};

// The program as it starts: nothing moved, the random sequence unseeded.
void program_start();

// fresh, 255 and n random states, seeded by the set's name and the cave.
std::vector<State> states_for(const CaveSet& s, uint32_t k, int n);

// How far a way got from one state.
struct Outcome {
  bool done = false;    // completed through an exit, alive
  bool died = false;
  int tick = 0;         // ticks played
  uint32_t left = 0;    // diamonds still needed
  int progress() const { return done ? 1 << 30 : tick - 100 * static_cast<int>(left) - (died ? 0 : 5000); }
};

// Sets up the state from a program start and starts cave k. The states
// "game" and "game-bl" are those of a game from cave 1 (with bonus caves for
// game-bl) that played every cave before k by its way in `game_ways`.
extern std::string game_ways;
void start_from(const CaveSet& s, uint32_t k, const State& st);

// The same, then plays cave k by the way.
Outcome play_from(const CaveSet& s, uint32_t k, const State& st, const Way& way);
