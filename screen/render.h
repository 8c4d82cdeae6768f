// The renderers: each call draws the whole text area and presents it as one
// frame. vpic_1font also advances the animation and handles the style keys.
#pragma once

#include <cstdint>

#include "cave/platform.h"
#include "screen/kresli.h"

extern uint8_t aktF;           // current style: 0 2004, 1 C64, 2 ZX, 3 1994
extern uint8_t ForceSetFont;   // 1: the next vpic_1font makes style aktF current

void vpic_2font();
void buf2screen();
