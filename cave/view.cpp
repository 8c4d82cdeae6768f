#include "cave/view.h"

#include <algorithm>
#include <cstring>

#include "cave/grid.h"
#include "cave/nahoda.h"
#include "cave/platform.h"
#include "text/text.h"

std::array<uint8_t, 65536> mb800p;
uint8_t* const mb800 = mb800p.data() + 16384;

namespace {

struct Blok {
  uint8_t g[4];  // glyphs: top-left, top-right, bottom-left, bottom-right
  uint8_t a;     // attribute of all four
};

// How each element code is drawn. Diamonds get a random attribute and the
// two spiders depend on `va`; their entries here are for `va` = 0.
constexpr Blok vzhled[25] = {
    {{32, 32, 32, 32}, 0x00},      // empty
    {{0, 0, 0, 0}, 0x46},          // brick wall
    {{1, 2, 3, 4}, 0x0E},          // player down 1
    {{1, 2, 5, 6}, 0x0E},          // player down 2
    {{7, 8, 9, 10}, 0x0E},         // player up 1
    {{7, 8, 11, 12}, 0x0E},        // player up 2
    {{13, 14, 15, 16}, 0x0E},      // player right 1
    {{13, 14, 17, 18}, 0x0E},      // player right 2
    {{19, 20, 21, 22}, 0x0E},      // player left 1
    {{19, 20, 23, 24}, 0x0E},      // player left 2
    {{25, 26, 27, 28}, 0x03},      // boulder
    {{33, 34, 35, 36}, 0x00},      // diamond
    {{29, 29, 29, 29}, 0x03},      // explosion 1
    {{30, 30, 30, 30}, 0x03},      // explosion 2
    {{31, 31, 31, 31}, 0x03},      // explosion 3
    {{37, 37, 37, 37}, 0x46},      // steel wall
    {{37, 37, 37, 37}, 0xC6},      // exit (blinks)
    {{144, 145, 160, 161}, 0x3F},  // converter wall
    {{146, 147, 162, 163}, 0x34},  // growing wall
    {{31, 31, 31, 31}, 0x24},      // dirt
    {{25, 26, 27, 28}, 0x03},      // held boulder
    {{33, 34, 35, 36}, 0x00},      // held diamond
    {{38, 39, 40, 41}, 0x10},      // water
    {{42, 43, 44, 45}, 0x24},      // spider
    {{128, 129, 130, 131}, 0x0E},  // diamond spider
};
constexpr Blok nic = {{32, 32, 32, 32}, 0x00};
constexpr Blok pavouk1 = {{42, 43, 44, 45}, 0x42};
constexpr Blok dpavouk1 = {{132, 133, 134, 135}, 0x0E};

}  // namespace

void init_mb800() { mb800p.fill(5); }

void frame() {
  auto put = [](int row, int col) {
    uint8_t* p = mb800 + row * VSTRIDE + col * 2;
    p[0] = 0;
    p[1] = 0x46;
  };
  for (int r = 0; r < 54; r++)
    for (int c : {0, 1, 82, 83}) put(r, c);
  for (int r : {0, 1, 52, 53})
    for (int c = 2; c <= 81; c++) put(r, c);
}

void zobraz() {
  if (citac != 0) citac--;
  for (int y = 1; y <= CH; y++)
    for (int x = 1; x <= CW; x++) {
      uint8_t k = sektor[x * GROWS + y];
      Blok b = k <= E_LAST ? vzhled[k] : nic;
      if (k == E_DIAMOND || k == E_HDIAMOND) b.a = static_cast<uint8_t>(nahoda() % 7);
      if (va == 1 && k == E_SPIDER) b = pavouk1;
      if (va == 1 && k == E_DSPIDER) b = dpavouk1;
      uint8_t* p = mb800 + 2 * y * VSTRIDE + 2 * x * 2;
      p[0] = b.g[0];
      p[1] = b.a;
      p[2] = b.g[1];
      p[3] = b.a;
      p[VSTRIDE + 0] = b.g[2];
      p[VSTRIDE + 1] = b.a;
      p[VSTRIDE + 2] = b.g[3];
      p[VSTRIDE + 3] = b.a;
    }
}

void okno() {
  int h = std::clamp(4 * xp - 80, 0, 8);
  int v = std::clamp(2 * yp - 20, 0, 14);
  for (int r = 0; r < 40; r++) std::memcpy(cell(0, 8 + r), mb800 + (v + r) * VSTRIDE + h, 160);
}

void prehod() {
  okno();
  vpic_1font();
}
