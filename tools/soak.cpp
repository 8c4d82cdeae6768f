// Soak run of the cave engine: random caves, random cheats and random keys,
// played through the same tick code as the game, with the state checked
// after every tick. Exits 1 at the first broken invariant.
//
//   tavrok-soak [--ticks N] [--seed S]      (default 1000000 ticks, seed 1)

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "cave/grid.h"
#include "cave/hra.h"
#include "cave/load.h"
#include "cave/view.h"
#include "headless/headless.h"
#include "text/text.h"

namespace {

std::mt19937 gen;
long tick_no = 0;

int roll(int n) { return static_cast<int>(gen() % static_cast<unsigned>(n)); }

[[noreturn]] void broken(const std::string& what) {
  std::fprintf(stderr, "soak: tick %ld: %s\n", tick_no, what.c_str());
  std::exit(1);
}

// A random cave record of resting codes; some caves are mostly open, some
// crowded, some full of water or creatures.
void random_cave(uint8_t* r) {
  static const uint8_t resting[] = {E_EMPTY,   E_BRICK, E_BOULDER,   E_DIAMOND, E_STEEL,  E_EXIT,
                                    E_CONVERTER, E_GROWING, E_DIRT, E_WATER, E_SPIDER, E_DSPIDER};
  std::vector<int> weight(sizeof resting);
  for (int& w : weight) w = roll(4) == 0 ? 0 : 1 + roll(10);
  weight[0] += 5;
  std::discrete_distribution<int> pick(weight.begin(), weight.end());
  for (int i = 0; i < CW * CH; i++) r[i] = resting[pick(gen)];
  int need = roll(3) == 0 ? 0 : roll(30);
  int time = roll(10) == 0 ? 0 : 1 + roll(150);
  r[1000] = static_cast<uint8_t>(need);
  r[1001] = 0;
  r[1002] = static_cast<uint8_t>(roll(CW));
  r[1003] = static_cast<uint8_t>(roll(CH));
  r[1004] = static_cast<uint8_t>(time & 255);
  r[1005] = static_cast<uint8_t>(time >> 8);
}

constexpr uint8_t SPARE = 0xA5;  // what the spare grid rows must keep

void check() {
  for (int gx = 0; gx < GCOLS; gx++)
    for (int gy = 0; gy < GROWS; gy++) {
      int i = gx * GROWS + gy;
      bool border = gx == 0 || gx == GCOLS - 1 || gy == 0 || gy == CH + 1;
      if (gy > CH + 1) {
        if (sektor[i] != SPARE || smer[i] != SPARE)
          broken("spare grid row written at column " + std::to_string(gx) + ", row " + std::to_string(gy));
      } else if (border) {
        if (sektor[i] != E_STEEL) broken("steel ring broken at grid " + std::to_string(gx) + "," + std::to_string(gy));
      } else {
        if (sektor[i] > E_LAST) broken("code " + std::to_string(sektor[i]) + " in the cave");
        if (smer[i] > 3 && smer[i] != 255) broken("direction " + std::to_string(smer[i]));
      }
    }
  bool off = xp == 255 && yp == 255;
  if (!off && (xp < 0 || xp >= CW || yp < 0 || yp >= CH)) broken("player outside the cave");
  if (off != (citac != 0)) broken("player presence and death countdown disagree");
  if (citac > 10 || va > 1 || tece > 9 || smrt > 1 || fxit > 1) broken("a counter out of range");
}

// The buffers around the text area and the virtual cave screen stay as
// they were; checked now and then, since they are large.
void check_buffers() {
  for (int i = 0; i < TEXT; i++)
    if (mem[i] != 0) broken("text screen written outside its text area");
  for (int i = TEXT + TCOLS * TROWS * 2; i < MEMSIZE; i++)
    if (mem[i] != 0) broken("text screen written past its text area");
  for (int i = 0; i < 65536; i++) {
    int off = i - 16384;
    bool used = off >= 0 && off < 54 * VSTRIDE && off % VSTRIDE < 168;
    if (!used && mb800p[i] != 5) broken("virtual cave screen written outside its 84 x 54 cells");
  }
}

}  // namespace

int main(int argc, char** argv) {
  long total = 1000000;
  unsigned seed = 1;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--ticks"))
      total = std::atol(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--seed"))
      seed = static_cast<unsigned>(std::atol(argv[i + 1]));
  }
  gen.seed(seed);

  init_mb800();
  for (int gx = 0; gx < GCOLS; gx++)
    for (int gy = CH + 2; gy < GROWS; gy++) sektor[gx * GROWS + gy] = smer[gx * GROWS + gy] = SPARE;
  std::vector<uint8_t> set(20 * RECORD);
  nazev = set.data();

  long caves = 0, deaths = 0, completions = 0, games = 0;
  bool need_game = true, same_cave = false;
  while (tick_no < total) {
    if (need_game) {
      games++;
      tziv = roll(4) == 0;
      tcas = roll(4) == 0;
      tsutr = roll(4) == 0;
      tpavouk = roll(4) == 0;
      tvodaturbo = roll(4) == 0;
      bl = static_cast<uint8_t>(roll(2));
      tstart = 1 + static_cast<uint32_t>(roll(20));
      new_game();
      need_game = false;
    }
    if (!same_cave) {
      random_cave(&set[(aksektor - 1) * RECORD]);
      caves++;
    }
    same_cave = false;
    cave_start();
    check();
    // A cave is played until it ends or for a while; then the next one.
    for (int t = 0, limit = 200 + roll(3000); t < limit && tick_no < total; t++) {
      tick_no++;
      headless_keys = {};
      for (int k = KL_UP; k <= KL_RIGHT; k++) headless_keys[k] = roll(10) < 3;
      headless_keys[KL_KILL] = roll(500) == 0;
      headless_keys[KL_F11] = roll(200) == 0;
      headless_keys[KL_F12] = roll(2000) == 0;
      tick_show();
      Konec k = tick_play();
      check();
      if (tick_no % 4096 == 0) check_buffers();
      if (k == ZEMREL) {
        deaths++;
        if (zi == 0)
          need_game = true;
        else
          same_cave = true;  // the same cave again, as after a lost life
        break;
      }
      if (k == DOKONCIL) {
        completions++;
        aksektor = aksektor % 20 + 1;
        if (roll(20) == 0) need_game = true;  // cheats and sets change between games
        break;
      }
    }
    headless_log.pals.clear();
  }
  check_buffers();
  std::printf("soak: %ld ticks, %ld games, %ld caves, %ld deaths, %ld completions: all invariants held\n", tick_no,
              games, caves, deaths, completions);
  return 0;
}
