#include "cave/load.h"

#include <cstring>

#include "cave/grid.h"

const uint8_t* nazev;
uint32_t aksektor;
uint32_t tstart = 1;
uint8_t bl;
uint8_t el;
std::array<uint8_t, RECORD> bafr;

void load() {
  std::memcpy(bafr.data(), nazev + (aksektor - 1) * RECORD, RECORD);
  el = 0;
  if (bl == 1 && (aksektor == 5 || aksektor == 10 || aksektor == 15 || aksektor == 20)) el = 1;
  for (int x = 0; x < CW; x++)
    for (int y = 0; y < CH; y++) sektor[at(x, y)] = bafr[y * CW + x];
  xp = bafr[1002];
  yp = bafr[1003];
  ch = bafr[1000] + 256u * bafr[1001];
  tece = 0;
  cas = (bafr[1004] + 256 * bafr[1005]) * 40;
}
