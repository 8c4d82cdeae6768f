#include <array>

#include "cave/grid.h"
#include "cave/nahoda.h"
#include "cave/rules.h"

namespace {

// Grid offsets of the four directions a creature knows: 0 up, 1 left,
// 2 down, 3 right (counter-clockwise, so d + 3 is a right turn).
constexpr int krokSmer[4] = {UP, LEFT, DOWN, RIGHT};
constexpr int ctyri[4] = {UP, DOWN, LEFT, RIGHT};

constexpr uint8_t ODCHAZI = 255;  // arrival entry: the creature here leaves

bool grows_into(uint8_t c) { return c == E_DIAMOND || c == E_EMPTY || c == E_DIRT; }

bool next_to(int c, uint8_t what) {
  for (int d : ctyri)
    if (sektor[c + d] == what) return true;
  return false;
}

bool next_to_creature(int c) {
  for (int d : ctyri)
    if (sektor[c + d] == E_SPIDER || sektor[c + d] == E_DSPIDER) return true;
  return false;
}

bool rolls_off(uint8_t c) { return c == E_BRICK || c == E_BOULDER || c == E_DIAMOND; }

// The rules of the bottom-up scan for one cell.
void bunka(int c) {
  if (sektor[c] == E_SPIDER && next_to(c, E_WATER)) vybuch(c, E_EXPL1);
  if (sektor[c] == E_DSPIDER && next_to(c, E_WATER)) vybuch(c, E_DIAMOND);
  if (is_player(sektor[c]) && tpavouk == 0 && next_to_creature(c)) smrt = 1;
  if (sektor[c] == E_EXPL3) sektor[c] = E_EMPTY;
  if (sektor[c] == E_EXPL2) sektor[c] = E_EXPL3;
  if (sektor[c] == E_EXPL1) sektor[c] = E_EXPL2;

  uint8_t k = sektor[c];
  if (k == E_HBOULDER || k == E_HDIAMOND) {
    sektor[c] = static_cast<uint8_t>(k - 10);
    return;
  }
  if ((k == E_BOULDER || k == E_DIAMOND) && is_player(sektor[c + DOWN])) {
    sektor[c] = static_cast<uint8_t>(k + 10);
    return;
  }
  if (k == E_GROWING && sektor[c + LEFT] == E_EMPTY) sektor[c + LEFT] = E_GROWING;
  if (k == E_GROWING && sektor[c + RIGHT] == E_EMPTY) sektor[c + RIGHT] = E_GROWING;
  if (k != E_BOULDER && k != E_DIAMOND) return;

  uint8_t below = sektor[c + DOWN];
  if (below == E_CONVERTER && sektor[c + 2 * DOWN] == E_EMPTY) {
    sektor[c + 2 * DOWN] = k == E_BOULDER ? E_DIAMOND : E_BOULDER;
    sektor[c] = E_EMPTY;
  } else if (below == E_EMPTY) {
    sektor[c + DOWN] = k;
    sektor[c] = E_EMPTY;
    int pod = c + 2 * DOWN;
    if (is_player(sektor[pod]) && tsutr == 0) smrt = 1;
    if (sektor[pod] == E_SPIDER) vybuch(pod, E_EXPL1);
    if (sektor[pod] == E_DSPIDER) vybuch(pod, E_DIAMOND);
  } else if (rolls_off(below) && sektor[c + RIGHT] == E_EMPTY && sektor[c + RIGHT + DOWN] == E_EMPTY) {
    sektor[c + RIGHT] = static_cast<uint8_t>(k + 10);
    sektor[c] = E_EMPTY;
  } else if (rolls_off(below) && sektor[c + LEFT] == E_EMPTY && sektor[c + LEFT + DOWN] == E_EMPTY) {
    sektor[c + LEFT] = static_cast<uint8_t>(k + 10);
    sektor[c] = E_EMPTY;
  }
}

}  // namespace

void pohyb() {
  std::array<uint8_t, GSIZE> prichod;  // arrival grid
  std::array<uint8_t, GSIZE> novySmer;  // new-direction grid
  std::array<int16_t, CW * CH> roste;   // water cells that can grow
  int nroste = 0;
  int voda = 0;

  // Preparation and the water survey, top to bottom.
  for (int y = 0; y < CH; y++)
    for (int x = 0; x < CW; x++) {
      int c = at(x, y);
      prichod[c] = 0;
      novySmer[c] = 255;
      if (sektor[c] == E_WATER) {
        voda++;
        for (int d : ctyri)
          if (grows_into(sektor[c + d])) {
            roste[nroste++] = static_cast<int16_t>(c);
            break;
          }
      }
    }

  // Creatures: each takes the first free direction counted from a right turn.
  for (int y = 0; y < CH; y++)
    for (int x = 0; x < CW; x++) {
      int c = at(x, y);
      uint8_t k = sektor[c];
      if (k != E_SPIDER && k != E_DSPIDER) continue;
      int d = smer[c];
      for (int turn : {3, 0, 1, 2}) {
        int u = (d + turn) & 3;
        int n = c + krokSmer[u];
        if (sektor[n] == E_EMPTY && prichod[n] == 0) {
          prichod[n] = k;
          novySmer[n] = static_cast<uint8_t>(u);
          prichod[c] = ODCHAZI;
          break;
        }
      }
    }

  for (int y = 0; y < CH; y++)
    for (int x = 0; x < CW; x++) {
      int c = at(x, y);
      smer[c] = novySmer[c];
      if (prichod[c] == ODCHAZI)
        sektor[c] = E_EMPTY;
      else if (prichod[c] != 0)
        sektor[c] = prichod[c];
    }

  va ^= 1;

  for (int y = CH - 1; y >= 0; y--)
    for (int x = 0; x < CW; x++) bunka(at(x, y));

  // Water: enclosed water turns into diamonds at once; otherwise one random
  // growing cell spreads every tenth tick (every tick with turbo water).
  if (voda != 0 && nroste == 0)
    for (int y = 0; y < CH; y++)
      for (int x = 0; x < CW; x++)
        if (sektor[at(x, y)] == E_WATER) sektor[at(x, y)] = E_DIAMOND;
  tece++;
  if (tece == 10 || tvodaturbo == 1) tece = 0;
  if (nroste != 0 && tece == 0) {
    int c = roste[nahoda() % nroste];
    for (int d : ctyri)
      if (grows_into(sektor[c + d])) sektor[c + d] = E_WATER;
  }
}
