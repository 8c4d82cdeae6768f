// Caves as small text pictures for the tests, one character a cell:
//   ' ' empty     '#' brick     'P' player    'O' boulder   '*' diamond
//   '1' '2' '3' explosion stages   'S' steel   'X' exit      'C' converter
//   'G' growing wall   '.' dirt   'o' held boulder   '+' held diamond
//   '~' water     'B' spider    'D' diamond spider
// Reading back, every player code shows as 'P'.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cave/grid.h"
#include "cave/load.h"
#include "cave/nahoda.h"
#include "cave/sets/design.h"
#include "cave/view.h"
#include "headless/headless.h"
#include "text/text.h"

using Pic = std::vector<std::string>;
using XY = std::pair<int, int>;

inline constexpr std::string_view pic_chars = " #PPPPPPPPO*123SXCG.o+~BD";  // index: element code

inline uint8_t& S(int x, int y) { return sektor[at(x, y)]; }
inline XY player() { return {xp, yp}; }
inline Keys keys_of(const std::vector<Klic>& held) {
  Keys k{};
  for (Klic c : held) k[c] = true;
  return k;
}

// Program-start state: every global of the core zeroed, `smer` zero, the
// steel ring in place, the headless keys up and `rand` unseeded.
inline void fresh() {
  sektor.fill(0);
  smer.fill(0);
  ring();
  xp = yp = xk = yk = cas = 0;
  ch = sc = 0;
  zi = 3;
  aktual = E_PLAYER;
  smrt = fxit = va = citac = tece = tziv = tcas = tsutr = tpavouk = tvodaturbo = bl = el = 0;
  aksektor = tstart = 1;
  nazev = nullptr;
  mstavx = mstavy = KurzX = KurzY = 0;
  headless_keys = {};
  headless_mx = headless_my = 0;
  headless_log = HeadlessLog{};
  init_mb800();
  mem.fill(0);
  SColor = 7;
  nahoda_seed(1);
}

// Puts a picture at the top-left of the interior, `fill` in every other
// interior cell. A 'P' also sets `xp`, `yp`.
inline void put(const Pic& p, char fill = '#') {
  for (int y = 0; y < CH; y++)
    for (int x = 0; x < CW; x++) {
      char c = y < static_cast<int>(p.size()) && x < static_cast<int>(p[y].size()) ? p[y][x] : fill;
      size_t k = pic_chars.find(c);
      if (k == std::string_view::npos) throw std::invalid_argument(std::string("no element for '") + c + "'");
      S(x, y) = static_cast<uint8_t>(k);
      if (c == 'P') xp = x, yp = y;
    }
}

// The top-left w x h cells of the interior.
inline Pic pic(int w, int h) {
  Pic p(h);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) p[y] += S(x, y) <= E_LAST ? pic_chars[S(x, y)] : '?';
  return p;
}
inline Pic pic(const Pic& like) { return pic(static_cast<int>(like[0].size()), static_cast<int>(like.size())); }

inline bool ring_whole() {
  for (int i = -1; i <= CW; i++)
    if (S(i, -1) != E_STEEL || S(i, CH) != E_STEEL || (i < CH && (S(-1, i) != E_STEEL || S(CW, i) != E_STEEL)))
      return false;
  return true;
}

// The characters of the top-left w x h cells of the text screen.
inline Pic text(int w, int h) {
  Pic t(h);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) t[y] += static_cast<char>(*cell(x, y));
  return t;
}

// A cave record of a picture, as the built-in caves are written: the rest
// of the cave is `fill`, and the picture holds one 'P', the start.
inline std::vector<uint8_t> record(const Pic& p, unsigned need, unsigned time, char fill = '#') {
  Pic rows(CH, std::string(CW, fill));
  for (size_t y = 0; y < p.size(); y++) rows[y].replace(0, p[y].size(), p[y]);
  Jeskyne j{"test", need, time, {}};
  for (int y = 0; y < CH; y++) j.rows[y] = rows[y].c_str();
  std::vector<uint8_t> r(RECORD);
  zaznam(j, r.data());
  return r;
}
