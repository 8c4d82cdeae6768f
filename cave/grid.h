// The cave grid, the direction grid, the element codes and the globals that
// the player's step, the cave tick, the view and the main loop share.
#pragma once

#include <array>
#include <cstdint>

// Element codes held by the cells of `sektor`.
enum Kod : uint8_t {
  E_EMPTY = 0,
  E_BRICK = 1,
  E_PLAYER = 2,  // 2..9: the player, by direction and frame
  E_PLAYER_LAST = 9,
  E_BOULDER = 10,
  E_DIAMOND = 11,
  E_EXPL1 = 12,
  E_EXPL2 = 13,
  E_EXPL3 = 14,
  E_STEEL = 15,
  E_EXIT = 16,
  E_CONVERTER = 17,
  E_GROWING = 18,
  E_DIRT = 19,
  E_HBOULDER = 20,  // boulder pausing for one tick
  E_HDIAMOND = 21,  // diamond pausing for one tick
  E_WATER = 22,
  E_SPIDER = 23,
  E_DSPIDER = 24,
  E_LAST = 24,
};

constexpr bool is_player(uint8_t c) { return c >= E_PLAYER && c <= E_PLAYER_LAST; }

// Interior size of a cave and the geometry of the grid around it: 42 columns
// of 29 bytes, stored column by column. Columns 0 and 41 and rows 0 and 26 are
// the steel ring; rows 27 and 28 are spare.
constexpr int CW = 40;
constexpr int CH = 25;
constexpr int GCOLS = 42;
constexpr int GROWS = 29;
constexpr int GSIZE = GCOLS * GROWS;

// Offsets between neighbouring cells of the grid.
constexpr int UP = -1;
constexpr int DOWN = 1;
constexpr int LEFT = -GROWS;
constexpr int RIGHT = GROWS;
constexpr int okoli[8] = {UP + LEFT, UP, UP + RIGHT, LEFT, RIGHT, DOWN + LEFT, DOWN, DOWN + RIGHT};

// Grid index of the interior cell (x, y); x may be -1..40 and y -1..25, which
// reaches the ring.
constexpr int at(int x, int y) { return (x + 1) * GROWS + (y + 1); }

extern std::array<uint8_t, GSIZE> sektor;
extern std::array<uint8_t, GSIZE> smer;

// Shared game state.
extern int32_t xp, yp;  // player cell; 255, 255 after his death
extern int32_t xk, yk;  // direction of the step to make
extern uint8_t aktual;  // player code the next step writes
extern uint32_t ch;     // diamonds still needed
extern uint32_t sc;     // score
extern uint32_t zi;     // lives
extern int32_t cas;     // remaining time in ticks
extern uint8_t smrt;    // 1: the player dies in the next tick
extern uint8_t fxit;    // 1: the cave is completed
extern uint8_t va;      // animation phase, flipped every cave tick
extern uint8_t citac;   // death countdown
extern uint8_t tece;    // water tick counter

// Cheats.
extern uint8_t tziv, tcas, tsutr, tpavouk, tvodaturbo;

// A 3 x 3 explosion of code e centred on grid index c: c itself always, the
// eight neighbours unless they are steel wall.
void vybuch(int c, uint8_t e);

// Fills the border ring with steel wall (once per game).
void ring();
