#include "cave/grid.h"
#include "cave/platform.h"
#include "cave/rules.h"
#include "cave/stav.h"

namespace {

int pred() { return at(xp + xk, yp + yk); }

void move() {
  sektor[pred()] = aktual;
  sektor[at(xp, yp)] = E_EMPTY;
  xp += xk;
  yp += yk;
}

}  // namespace

void krok() {
  // Push: only sideways, and only into an empty cell.
  if (sektor[pred()] == E_BOULDER && xk != 0 && yk == 0 && sektor[at(xp + 2 * xk, yp)] == E_EMPTY) {
    sektor[at(xp + 2 * xk, yp)] = sektor[pred()];
    sektor[pred()] = E_EMPTY;
  }
  if (sektor[pred()] == E_EMPTY || sektor[pred()] == E_DIRT) move();
  if (sektor[pred()] == E_EXIT && ch == 0) {
    move();
    fxit = 1;
  }
  if (sektor[pred()] == E_DIAMOND) {
    sektor[pred()] = aktual;
    sektor[at(xp, yp)] = E_EMPTY;
    sc++;
    if (sc % 100 == 0) zi++;
    if (ch != 0) {
      ch--;
      if (ch == 0) {
        // The last needed diamond: colour 0 turns white until the next timer
        // tick. Palette entries run 0..63, so 63 is full white.
        pal(0, 63, 63, 63);
        Delay100(1, 0);
        pal(0, 0, 0, 0);
      }
    }
    xp += xk;
    yp += yk;
    stav();
  }
}
