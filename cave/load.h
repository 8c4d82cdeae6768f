// Cave records and cave loading. A cave record is 1006 bytes: the 40 x 25
// grid row by row, diamonds needed (16-bit little-endian), the player's start
// column and row, and the time in units of 40 ticks (16-bit little-endian).
// A cave set is a run of records back to back.
#pragma once

#include <array>
#include <cstdint>

constexpr int RECORD = 1006;

extern const uint8_t* nazev;  // first record of the set being played
extern uint32_t aksektor;     // number of the current cave, 1-based
extern uint32_t tstart;       // cave number a new game begins with
extern uint8_t bl;            // 1: the set has bonus caves
extern uint8_t el;            // 1: the current cave is a bonus cave
extern std::array<uint8_t, RECORD> bafr;

// Makes cave `aksektor` of `nazev` the live cave.
void load();
