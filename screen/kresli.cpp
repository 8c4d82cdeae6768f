#include "screen/kresli.h"

#include <cstring>

#include "screen/styly.h"
#include "text/text.h"

uint8_t movefont = 1;
uint8_t FlashCnt = 0, CanHide = 0;

void blink() {
  FlashCnt++;
  if (FlashCnt > 8) CanHide = 1;
  if (FlashCnt > 16) {
    CanHide = 0;
    FlashCnt = 0;
  }
}

void kresli_1font() {
  const BITMAP* sheet = AktEFont.f[movefont];
  for (int y = 0; y < TROWS; y++)
    for (int x = 0; x < TCOLS; x++) {
      const uint8_t* c = cell(x, y);
      uint8_t k = c[0];
      bool hidden = (c[1] & 0x80) && CanHide == 1;
      // Whole glyph rows at a time: the same pixels as one by one.
      for (int py = 0; py < 8; py++) {
        uint8_t* to = sbuffer->line[y * 8 + py] + x * 8;
        if (hidden)
          std::memset(to, 0, 8);
        else
          std::memcpy(to, sheet->line[(k >> 4) * 8 + py] + (k & 15) * 8, 8);
      }
    }
}

void kresli_2font() {
  for (int y = 0; y < TROWS; y++)
    for (int x = 0; x < TCOLS; x++) {
      const uint8_t* c = cell(x, y);
      uint8_t k = c[0], a = c[1];
      uint8_t fg = a & 0x0F, bg = (a >> 4) & 7;
      if ((a & 0x80) && CanHide == 1) fg = bg;
      for (int py = 0; py < 8; py++) {
        uint8_t bits = mem[KdeJeFont + k * 32 + py];
        uint8_t* to = sbuffer->line[y * 8 + py] + x * 8;
        for (int px = 0; px < 8; px++) to[px] = (bits & (0x80 >> px)) ? fg : bg;
      }
    }
}

namespace {
// One row of 640 pixels widened k times; k is a constant for the compiler.
template <int K>
void widen(const uint8_t* s, uint8_t* d) {
  for (int x = 0; x < 640; x++)
    for (int i = 0; i < K; i++) d[x * K + i] = s[x];
}
constexpr void (*widen_by[9])(const uint8_t*, uint8_t*) = {nullptr,   widen<1>, widen<2>, widen<3>, widen<4>,
                                                           widen<5>, widen<6>, widen<7>, widen<8>};
}  // namespace

void scale_copy(const BITMAP* from, BITMAP* to, int first, int end, int k) {
  for (int y = first; y < end; y++) {
    widen_by[k](from->line[y], to->line[y * k]);
    for (int i = 1; i < k; i++) std::memcpy(to->line[y * k + i], to->line[y * k], 640 * static_cast<size_t>(k));
  }
}
