#include "tests/pic.h"

#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "cave/load.h"
#include "cave/sets/design.h"
#include "cave/view.h"
#include "screen/text.h"
#include "tools/headless.h"

namespace {
// Index = element code.
constexpr std::string_view chars = " #PPPPPPPPO*123SXCG.o+~BD";
}  // namespace

uint8_t code_of(char c) {
  if (c == 'P') return E_PLAYER;
  size_t i = chars.find(c);
  if (i == std::string_view::npos) throw std::invalid_argument(std::string("no element for '") + c + "'");
  return static_cast<uint8_t>(i);
}

char char_of(uint8_t code) { return code <= E_LAST ? chars[code] : '?'; }

void fresh() {
  sektor.fill(0);
  smer.fill(0);
  ring();
  xp = yp = xk = yk = 0;
  aktual = E_PLAYER;
  ch = sc = 0;
  zi = 3;
  cas = 0;
  smrt = fxit = va = citac = tece = 0;
  tziv = tcas = tsutr = tpavouk = tvodaturbo = 0;
  aksektor = 1;
  tstart = 1;
  bl = el = 0;
  nazev = nullptr;
  mstavx = mstavy = 0;
  headless_keys = {};
  headless_log = HeadlessLog{};
  init_mb800();
  mem.fill(0);
  SColor = 7;
  KurzX = KurzY = 0;
  std::srand(1);  // the sequence of a generator that was never seeded
}

void put(const Pic& p, char fill) {
  for (int y = 0; y < CH; y++)
    for (int x = 0; x < CW; x++) {
      char c = y < static_cast<int>(p.size()) && x < static_cast<int>(p[y].size()) ? p[y][x] : fill;
      S(x, y) = code_of(c);
      if (c == 'P') {
        xp = x;
        yp = y;
      }
    }
}

Pic pic(int w, int h) {
  Pic p;
  for (int y = 0; y < h; y++) {
    std::string row;
    for (int x = 0; x < w; x++) row += char_of(S(x, y));
    p.push_back(row);
  }
  return p;
}

std::vector<uint8_t> record(const Pic& p, unsigned need, unsigned time, char fill) {
  Pic rows(CH, std::string(CW, fill));
  for (size_t y = 0; y < p.size(); y++) rows[y].replace(0, p[y].size(), p[y]);
  Jeskyne j{"test", need, time, {}};
  for (int y = 0; y < CH; y++) j.rows[y] = rows[y].c_str();
  std::vector<uint8_t> r(RECORD);
  zaznam(j, r.data());
  return r;
}
