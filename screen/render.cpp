#include "screen/render.h"

#include <allegro.h>

#include "screen/grafika.h"
#include "screen/styly.h"

uint8_t aktF = 0;
uint8_t ForceSetFont = 0;
uint8_t EnabledChange = 0;

namespace {
uint8_t lastF = 0;  // a style request was present at the previous render
}  // namespace

void vpic_1font() {
  if (++movefont > 4) movefont = 1;
  bool request = ForceSetFont != 0;
  if (EnabledChange != 0) request = ForceSetFont != 0 || key[KEY_PLUS_PAD] || key[KEY_EQUALS];
  if (ForceSetFont != 0) lastF = 0;
  if (request && lastF == 0) {
    if (ForceSetFont == 0) aktF++;
    if (aktF > 3) aktF = 0;
    styl(aktF);
  }
  lastF = request;
  ForceSetFont = 0;
  blink();
  kresli_1font();
  buf2screen();
}

void vpic_2font() {
  blink();
  kresli_2font();
  buf2screen();
}

void buf2screen() {
  // The screen is held only for the copy; the retrace is waited for with it
  // released, so the library's input thread can deliver keys meanwhile.
  to_screen(sbuffer, 400);
  vsync();
}
