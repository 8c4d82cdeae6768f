#include "cave/hra.h"

#include "cave/grid.h"
#include "cave/load.h"
#include "cave/platform.h"
#include "cave/rules.h"
#include "cave/sets/sets.h"
#include "cave/stav.h"
#include "cave/view.h"
#include "cave/zaznam.h"
#include "text/text.h"

void new_game() {
  ring();
  frame();
  sc = 0;
  zi = 3;
  aksektor = tstart;
  stav();
  va = 0;
}

void cave_start() {
  for (int x = 0; x < CW; x++)
    for (int y = 0; y < CH; y++) sektor[at(x, y)] = E_BRICK;
  Gclrscr();
  zobraz();
  prehod();
  load();
  Delay100(10, 0);
  stav();
  sektor[at(xp, yp)] = E_PLAYER;
  aktual = E_PLAYER;
  smrt = 0;
  citac = 0;
  fxit = 0;
}

void tick_show() {
  if (cas > 0 && tcas == 0) {
    cas--;
    if (cas == 0) smrt = 1;
  }
  cas_display();
  zobraz();
  prehod();
}

namespace {

// One requested step: alternate the two frames of the direction, then step.
void zkus(int32_t dx, int32_t dy, uint8_t frame1) {
  xk = dx;
  yk = dy;
  aktual = aktual == frame1 ? static_cast<uint8_t>(frame1 + 1) : frame1;
  krok();
}

constexpr int32_t NIKDE = 255;  // xp, yp of a player who is not on the grid

}  // namespace

Konec tick_play() {
  if (smrt == 1 || vstup(KL_KILL)) {
    citac = 10;
    smrt = 0;
    if (xp != NIKDE) vybuch(at(xp, yp), E_EXPL1);
    xp = yp = NIKDE;
  }

  if (citac == 1) {
    if (el == 1) {
      fxit = 1;
      cas = 0;
    } else {
      if (tziv == 0) zi--;
      stav();
      return ZEMREL;
    }
  } else {
    if (vstup(KL_F12)) fxit = 1;
    if (vstup(KL_F11) && xp != NIKDE) {
      int c = at(xp, yp);
      for (int d : okoli)
        if (sektor[c + d] != E_STEEL) sektor[c + d] = E_DIAMOND;
    }
  }

  if (fxit == 1) return DOKONCIL;

  if (citac == 0) {
    mstav();
    if (vstup(KL_UP, mstavy < -1)) zkus(0, -1, 4);
    if (vstup(KL_DOWN, mstavy > 1)) zkus(0, 1, 2);
    if (vstup(KL_LEFT, mstavx < -1)) zkus(-1, 0, 8);
    if (vstup(KL_RIGHT, mstavx > 1)) zkus(1, 0, 6);
  }

  pohyb();
  return HRAJE;
}

bool last_cave() { return aksektor >= caves_in(nazev); }

bool cave_completion() {
  bool last = last_cave();
  sc += 10;
  aksektor++;
  if (last) return true;
  if (el == 1 && citac == 0) zi++;
  for (int32_t n = cas / 320, step = 1; n > 0; n--, step++) {
    cas -= 320;
    sc += 8;
    stav();
    Delay100(1, 0);
    vpic_1font();
    if (bonus_esc(step)) break;
  }
  return false;
}

namespace {

Konec hrat() {
  SColor = 15;
  EnabledChange = 1;
  new_game();
  cave_start();
  while (true) {
    tick_show();
    pacing();
    zaznam_tik();
    Konec k = tick_play();
    if (k == ZEMREL && zi == 0)
      k = PROHRAL;
    else if (k == DOKONCIL && last_cave())
      k = PROSEL;
    else if (k == HRAJE && vstup(KL_ESC))
      k = ODESEL;
    if (!zaznam_konec(k) || !po_ticku(k)) return k;
    switch (k) {
      case HRAJE:
        break;
      case ZEMREL:
        cave_start();
        break;
      case DOKONCIL:
        cave_completion();
        cave_start();
        break;
      case PROHRAL:
        gameover();
        return k;
      case PROSEL:
        cave_completion();
        prosel();
        return k;
      case ODESEL:
        return k;
    }
  }
}

}  // namespace

Konec hra() {
  zaznam_novy();
  const Konec k = hrat();
  zaznam_vysledek(k);
  return k;
}

void titulky() {
  while (true) {
    EnabledChange = 0;
    Gclrscr();
    vpic_1font();
    titobr();
    Gclrscr();
    if (held(KL_ESC)) return;
    const Konec k = hra();
    po_hre(k);
    if (k == ODESEL) return;
  }
}
