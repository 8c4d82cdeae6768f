// Caves written as pictures, one character a cell, and turned into cave
// records by the compiler. A mistake in a picture (a wrong character, a row
// of the wrong length, no start or two) stops the build at that cave.
//
//   ' ' empty          '#' brick wall      'O' boulder       '*' diamond
//   'S' steel wall     'X' exit            'C' converter     'G' growing wall
//   '.' dirt           '~' water           'B' spider        'D' diamond spider
//   'P' the player's start (an empty cell in the record)
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "cave/grid.h"
#include "cave/load.h"

struct Jeskyne {
  const char* name;  // for the designers; not shown in the game
  unsigned need;     // diamonds needed
  unsigned time;     // in units of 40 ticks
  const char* rows[CH];
};

// The element code of a picture character; a character that is no element
// is an error.
constexpr uint8_t kod_znaku(char c) {
  switch (c) {
    case ' ': return E_EMPTY;
    case '#': return E_BRICK;
    case 'O': return E_BOULDER;
    case '*': return E_DIAMOND;
    case 'S': return E_STEEL;
    case 'X': return E_EXIT;
    case 'C': return E_CONVERTER;
    case 'G': return E_GROWING;
    case '.': return E_DIRT;
    case '~': return E_WATER;
    case 'B': return E_SPIDER;
    case 'D': return E_DSPIDER;
    default: throw std::invalid_argument("a cave picture holds a character that is no element");
  }
}

constexpr void zaznam(const Jeskyne& j, uint8_t* r) {
  int px = -1, py = -1;
  for (int y = 0; y < CH; y++) {
    const char* row = j.rows[y];
    if (row == nullptr) throw std::invalid_argument("a cave picture needs 25 rows");
    int x = 0;
    for (; row[x] != 0; x++) {
      if (x >= CW) throw std::invalid_argument("a cave picture row is longer than 40 cells");
      if (row[x] == 'P') {
        if (px >= 0) throw std::invalid_argument("a cave picture has two starts");
        px = x;
        py = y;
        r[y * CW + x] = E_EMPTY;
      } else {
        r[y * CW + x] = kod_znaku(row[x]);
      }
    }
    if (x != CW) throw std::invalid_argument("a cave picture row is shorter than 40 cells");
  }
  if (px < 0) throw std::invalid_argument("a cave picture has no start 'P'");
  if (j.need > 0xFFFF || j.time > 0xFFFF) throw std::invalid_argument("diamonds needed and time fit 16 bits");
  r[1000] = static_cast<uint8_t>(j.need & 255);
  r[1001] = static_cast<uint8_t>(j.need >> 8);
  r[1002] = static_cast<uint8_t>(px);
  r[1003] = static_cast<uint8_t>(py);
  r[1004] = static_cast<uint8_t>(j.time & 255);
  r[1005] = static_cast<uint8_t>(j.time >> 8);
}

// The records of a whole set, back to back.
template <size_t N>
constexpr std::array<uint8_t, N * RECORD> sada(const Jeskyne (&caves)[N]) {
  std::array<uint8_t, N * RECORD> s{};
  for (size_t k = 0; k < N; k++) zaznam(caves[k], s.data() + k * RECORD);
  return s;
}
