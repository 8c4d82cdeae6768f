// The life of a running cave, shared by the game's main loop and the
// simulator: a new game, the start of a cave, and one tick split around the
// wait for the timer.
#pragma once

#include <cstdint>

// What a tick ended with. `tick_play` gives the first three; the game loop
// tells the last three apart from them.
enum Konec : uint8_t {
  HRAJE,     // the cave goes on
  ZEMREL,    // a death was settled and its life taken; the cave starts again
  DOKONCIL,  // `fxit` was acted on: the cave is completed
  PROHRAL,   // a death took the last life: game over
  PROSEL,    // the set's last cave is completed
  ODESEL,    // ESC was held at the end of the tick: the program ends
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

// Is the current cave the set's last?
bool last_cave();

// Cave completion: the score for the cave, the next cave number, a bonus
// cave's extra life and the time bonus (ESC skips the rest of it). Returns
// true when the set has no cave left: the completion screen follows, and
// the last cave gives no time bonus.
bool cave_completion();

// One game, from the new game to game over, the end of the set or ESC:
// cave starts, ticks, the death sequence, completions and their time bonus,
// the game-over and completion screens. Returns how it ended (PROHRAL,
// PROSEL or ODESEL), or the last tick's result when `po_ticku` stopped it
// or a playback went another way than its record.
Konec hra();

// The title loop: the title screen, then a game, until ESC ends the program
// on the title or in a cave.
void titulky();
