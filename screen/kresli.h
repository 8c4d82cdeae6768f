// Drawing the text area into the back buffer: with the glyph sheets of the
// current style, or with the 1-bit font area in attribute colours.
#pragma once

#include <cstdint>

extern uint8_t movefont;  // current animation frame, 1..4
extern uint8_t FlashCnt;  // blink counter
extern uint8_t CanHide;   // 1 while blinking cells are hidden

// One step of the blink cycle: 17 renders, blinking cells hidden on 8.
void blink();

void kresli_1font();
void kresli_2font();
