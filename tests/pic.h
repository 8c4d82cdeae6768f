// Caves as small text pictures for the tests, one character a cell:
//   ' ' empty     '#' brick     'P' player    'O' boulder   '*' diamond
//   '1' '2' '3' explosion stages   'S' steel   'X' exit      'C' converter
//   'G' growing wall   '.' dirt   'o' held boulder   '+' held diamond
//   '~' water     'B' spider    'D' diamond spider
// Reading back, every player code shows as 'P'.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cave/grid.h"

using Pic = std::vector<std::string>;

// Program-start state: every global of the core zeroed, `smer` zero, the
// steel ring in place, the headless keys up and `rand` back to its unseeded
// sequence.
void fresh();

// Puts a picture at the top-left of the interior; every other interior cell
// gets `fill`. A 'P' also sets `xp`, `yp`.
void put(const Pic& pic, char fill = '#');

// The top-left w x h cells of the interior as a picture.
Pic pic(int w, int h);

// A cave record of a picture, as the built-in caves are written: the rest
// of the cave is `fill`, and the picture holds one 'P', the start.
std::vector<uint8_t> record(const Pic& pic, unsigned need, unsigned time, char fill = '#');

uint8_t code_of(char c);
char char_of(uint8_t code);

// Cell (x, y) of the interior.
inline uint8_t& S(int x, int y) { return sektor[at(x, y)]; }
