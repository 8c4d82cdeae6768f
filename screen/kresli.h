// Drawing the text area into the back buffer: with the glyph sheets of the
// current style, or with the 1-bit font area in attribute colours.
#pragma once

#include <allegro.h>

#include <cstdint>

extern uint8_t movefont;  // current animation frame, 1..4
extern uint8_t FlashCnt;  // blink counter
extern uint8_t CanHide;   // 1 while blinking cells are hidden

// One step of the blink cycle: 17 renders, blinking cells hidden on 8.
void blink();

void kresli_1font();
void kresli_2font();

// Each pixel of rows first..end-1 of `from` (8-bit, 640 wide) as a k x k
// block of `to` (k from 1 to 8): a row is widened once and copied k - 1
// times.
void scale_copy(const BITMAP* from, BITMAP* to, int first, int end, int k);
