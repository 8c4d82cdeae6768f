#include "cave/grid.h"

std::array<uint8_t, GSIZE> sektor;
std::array<uint8_t, GSIZE> smer;

int32_t xp, yp;
int32_t xk, yk;
uint8_t aktual;
uint32_t ch;
uint32_t sc;
uint32_t zi;
int32_t cas;
uint8_t smrt;
uint8_t fxit;
uint8_t va;
uint8_t citac;
uint8_t tece;

uint8_t tziv, tcas, tsutr, tpavouk, tvodaturbo;

void vybuch(int c, uint8_t e) {
  sektor[c] = e;
  for (int d : okoli)
    if (sektor[c + d] != E_STEEL) sektor[c + d] = e;
}

void ring() {
  for (int y = -1; y <= CH; y++) {
    sektor[at(-1, y)] = E_STEEL;
    sektor[at(CW, y)] = E_STEEL;
  }
  for (int x = -1; x <= CW; x++) {
    sektor[at(x, -1)] = E_STEEL;
    sektor[at(x, CH)] = E_STEEL;
  }
}
