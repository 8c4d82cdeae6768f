// What the cave core needs from the machine it runs on: held keys, the
// mouse and joystick, one palette entry, the timer wait and a rendered frame.
// The game links the versions that drive the real screen and keyboard; the
// simulator and the tests link headless ones that draw nothing and never wait.
#pragma once

#include <cstdint>

// The keys a running cave reads. Each stands for every key of the keyboard
// that acts alike (a cursor key and its keypad twin).
enum Klic : uint8_t { KL_UP, KL_DOWN, KL_LEFT, KL_RIGHT, KL_KILL, KL_F11, KL_F12, KL_ESC, KL_COUNT };

bool held(Klic k);

// Mouse and joystick direction values of the tick; `mstav` sets them. The
// platform defines them beside `mstav`.
extern int32_t mstavx, mstavy;
void mstav();

void pal(uint8_t index, uint8_t r, uint8_t g, uint8_t b);
void Delay100(int32_t n, uint8_t abort);
void vpic_1font();
