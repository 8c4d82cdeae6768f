// What the cave core needs from the machine it runs on: held keys, the
// mouse and joystick, one palette entry, the timer waits, a rendered frame and
// the screens between games.
// The game links the versions that drive the real screen and keyboard; the
// simulator and the tests link headless ones that draw nothing and never wait.
#pragma once

#include <cstdint>

#include "cave/hra.h"

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

// The wait for the timer between the two halves of a tick.
void pacing();

// The title, game-over and completion screens; each returns on a key.
void titobr();
void gameover();
void prosel();

// 1 while the style keys are honoured: from a new game to the next title.
extern uint8_t EnabledChange;

// Called at the end of every tick of a game with what it ended with; false
// stops the game there. The game always goes on; the simulator reports here.
bool po_ticku(Konec k);

// Called when a game started from the title has ended with k; its record
// is in zaznam_hry. The game keeps its scores here; the others do nothing.
void po_hre(Konec k);
