// The life of a running cave, shared by the game's main loop and the
// simulator: a new game, the start of a cave, and one tick split around the
// wait for the timer.
#pragma once

#include <cstdint>

// What the second half of a tick ended with.
enum Konec : uint8_t {
  HRAJE,     // the cave goes on
  ZEMREL,    // a death was settled and its life taken; the caller restarts the
             // cave while `zi` is not 0, and ends the game otherwise
  DOKONCIL,  // `fxit` was acted on: the cave is completed
};

// Steel ring, the frame of the virtual cave screen, score 0, three lives,
// cave `tstart`, the status line, `va` 0.
void new_game();

// Brick-filled grid, a drawn empty view, `load`, one second's pause, the
// status line, the player placed.
void cave_start();

// First half of a tick: the countdown, the time display, the picture.
void tick_show();

// Second half of a tick, after the wait: deaths, the cheat keys, completion,
// the player's steps and the cave tick.
Konec tick_play();

// Cave completion: the score for the cave, the next cave number, a bonus
// cave's extra life and the time bonus (ESC skips the rest of it). Returns
// true when the set has no cave left: the completion screen follows, and
// the last cave gives no time bonus.
bool cave_completion();
