// The game's one clock: a counter that the library's timer raises ten times
// a second, and the waits that poll it.
#pragma once

#include <atomic>
#include <cstdint>

extern std::atomic<int32_t> ctc;

void timerCycle();

// Waits for the next timer tick; with abort, also returns while ESC, SPACE
// or ENTER is held.
void D100(uint8_t abort);

// Lets the processor rest between two polls of a wait.
void idle();
