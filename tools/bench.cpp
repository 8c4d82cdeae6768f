// Benchmarks of the cave engine: one tick of a busy cave and the view copy;
// and of the drawing: a text screen's render and its scaled copy.
#include <benchmark/benchmark.h>

#include <allegro.h>

#include <cerrno>
#include <cstdlib>

#include <random>

#include "cave/grid.h"
#include "cave/hra.h"
#include "cave/load.h"
#include "cave/rules.h"
#include "cave/view.h"
#include "headless/headless.h"
#include "screen/kresli.h"
#include "screen/styly.h"
#include "text/text.h"

namespace {

// A crowded cave: creatures, falling matter, water, converters and growing
// walls everywhere, with room to move.
std::array<uint8_t, GSIZE> busy() {
  std::mt19937 gen(3);
  const uint8_t kinds[] = {E_EMPTY, E_EMPTY, E_EMPTY, E_EMPTY, E_BOULDER, E_DIAMOND, E_DIAMOND, E_SPIDER,
                           E_DSPIDER, E_WATER, E_DIRT, E_BRICK, E_CONVERTER, E_GROWING, E_STEEL};
  ring();
  for (int y = 0; y < CH; y++)
    for (int x = 0; x < CW; x++) sektor[at(x, y)] = kinds[gen() % sizeof kinds];
  sektor[at(20, 12)] = E_PLAYER;
  xp = 20;
  yp = 12;
  return sektor;
}

void BM_CaveTick(benchmark::State& state) {
  init_mb800();
  frame();
  const auto start = busy();
  tpavouk = tsutr = 1;
  int n = 0;
  for (auto _ : state) {
    if (++n % 64 == 0) sektor = start;  // keep it busy
    pohyb();
    zobraz();
  }
  benchmark::DoNotOptimize(sektor.data());
}
BENCHMARK(BM_CaveTick);

void BM_ViewCopy(benchmark::State& state) {
  init_mb800();
  frame();
  busy();
  zobraz();
  for (auto _ : state) {
    okno();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ViewCopy);

// The whole tick as the game runs it, with the headless platform.
void BM_WholeTick(benchmark::State& state) {
  init_mb800();
  std::array<uint8_t, RECORD> rec{};
  busy();
  for (int y = 0; y < CH; y++)
    for (int x = 0; x < CW; x++) rec[y * CW + x] = sektor[at(x, y)] == E_PLAYER ? uint8_t{E_EMPTY} : sektor[at(x, y)];
  rec[1002] = 20;
  rec[1003] = 12;
  rec[1004] = 0;  // no countdown
  nazev = rec.data();
  tziv = tpavouk = tsutr = 1;
  new_game();
  cave_start();
  int n = 0;
  for (auto _ : state) {
    headless_keys = {};
    headless_keys[(n++ / 7) % 4] = true;
    tick_show();
    if (tick_play() != HRAJE || n % 256 == 0) cave_start();
  }
}
BENCHMARK(BM_WholeTick);

// One glyph-sheet render of a full text screen into the back buffer: the
// drawing part of vpic_1font, without the copy to the screen.
void BM_Render(benchmark::State& state) {
  install_allegro(SYSTEM_NONE, &errno, atexit);
  DATAFILE* df = load_datafile(TAVROK_DATAFILE);
  if (*check_datafile(df)) {
    state.SkipWithError("TavrokDF.dat is missing or damaged");
    return;
  }
  load_styles(df);
  sbuffer = create_bitmap(640, 480);
  styl(0);
  init_mb800();
  frame();
  busy();
  zobraz();
  okno();
  for (int i = 0; i < 8 * 80; i++) cell(i % 80, i / 80)[0] = static_cast<uint8_t>('A' + i % 26);
  for (auto _ : state) {
    if (++movefont > 4) movefont = 1;
    kresli_1font();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Render);

// The picture scaled by k for the screen, each pixel a k x k block: the goal
// is a 1280 x 960 frame in under a millisecond.
void BM_ScaledCopy(benchmark::State& state) {
  install_allegro(SYSTEM_NONE, &errno, atexit);
  const int k = static_cast<int>(state.range(0));
  BITMAP* from = create_bitmap(640, 480);
  BITMAP* to = create_bitmap(640 * k, 480 * k);
  for (int y = 0; y < 480; y++)
    for (int x = 0; x < 640; x++) from->line[y][x] = static_cast<uint8_t>(x ^ y);
  for (auto _ : state) {
    scale_copy(from, to, 0, 480, k);
    benchmark::ClobberMemory();
  }
  destroy_bitmap(to);
  destroy_bitmap(from);
}
BENCHMARK(BM_ScaledCopy)->Arg(2)->Arg(3)->Arg(4);

}  // namespace

BENCHMARK_MAIN();
